// Whole numbers as the command line and the worker lines write them.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace quillmoor::cli {

// A whole decimal number without sign or blanks (leading zeros are fine); nothing when text
// is anything else or does not fit in Number.
template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace quillmoor::cli

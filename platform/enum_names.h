// Fixed names for the values of an enumeration, as a table looked up both ways.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quillmoor {

template <typename Enum>
struct EnumName {
    Enum value;
    std::string_view name;
};

// The name of value in names; otherwise when the table lacks it.
template <typename Enum, std::size_t N>
constexpr std::string_view NameOf(const EnumName<Enum> (&names)[N], Enum value,
                                  std::string_view otherwise) {
    for (const EnumName<Enum>& entry : names) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return otherwise;
}

// The value named name in names; nothing when no entry has that name.
template <typename Enum, std::size_t N>
constexpr std::optional<Enum> ValueNamed(const EnumName<Enum> (&names)[N], std::string_view name) {
    for (const EnumName<Enum>& entry : names) {
        if (entry.name == name) {
            return entry.value;
        }
    }
    return std::nullopt;
}

}  // namespace quillmoor

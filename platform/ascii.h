// Letters, digits, blanks and case of the ASCII range, the way markup, addresses and
// switches compare names: whatever lies outside that range is never a letter and keeps its
// case. For char (UTF-8 bytes) and char16_t (UTF-16 code units) alike.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace quillmoor {

template <typename Char>
constexpr bool IsAsciiLetter(Char c) {
    return (c >= Char('a') && c <= Char('z')) || (c >= Char('A') && c <= Char('Z'));
}

template <typename Char>
constexpr bool IsAsciiDigit(Char c) {
    return c >= Char('0') && c <= Char('9');
}

// The white space of markup: tab, line feed, form feed, carriage return and space.
template <typename Char>
constexpr bool IsAsciiSpace(Char c) {
    return c == Char('\t') || c == Char('\n') || c == Char('\f') || c == Char('\r') ||
           c == Char(' ');
}

template <typename Char>
constexpr Char AsciiLower(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char>
std::basic_string<Char> AsciiLowerCopy(std::basic_string_view<Char> text) {
    std::basic_string<Char> lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower<Char>);
    return lower;
}

inline std::u16string AsciiLowerCopy(std::u16string_view text) {
    return AsciiLowerCopy<char16_t>(text);
}

template <typename Char>
constexpr bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a,
                                       std::basic_string_view<Char> b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

inline bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    return EqualsIgnoringAsciiCase<char16_t>(a, b);
}

}  // namespace quillmoor

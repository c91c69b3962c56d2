#include "browser/engine_address.h"

#include <cstdint>

namespace quillmoor {
namespace {

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsSeparator(char16_t c, PathStyle style) {
    return c == u'/' || (style == PathStyle::kWindows && c == u'\\');
}

// Characters that stand for themselves in the path of a file address.
bool KeepsInPath(char32_t c) {
    if (c >= 0x80) {
        return false;
    }
    if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9')) {
        return true;
    }
    return std::u32string_view(U"-._~!$&'()*+,;=:@/").find(c) != std::u32string_view::npos;
}

void AppendEncodedByte(std::u16string& out, std::uint8_t byte) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    out += u'%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

// path in UTF-8, each byte that a URL path cannot hold percent-encoded; Windows
// separators become slashes. An unpaired surrogate counts as U+FFFD.
std::u16string EncodedPath(std::u16string_view path, PathStyle style) {
    std::u16string out;
    out.reserve(path.size() + 16);
    for (std::size_t i = 0; i < path.size(); ++i) {
        char32_t c = path[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
            path[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (path[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (style == PathStyle::kWindows && c == U'\\') {
            out += u'/';
        } else if (KeepsInPath(c)) {
            out += static_cast<char16_t>(c);
        } else if (c < 0x80) {
            AppendEncodedByte(out, static_cast<std::uint8_t>(c));
        } else if (c < 0x800) {
            AppendEncodedByte(out, static_cast<std::uint8_t>(0xC0 | (c >> 6)));
            AppendEncodedByte(out, static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            AppendEncodedByte(out, static_cast<std::uint8_t>(0xE0 | (c >> 12)));
            AppendEncodedByte(out, static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
            AppendEncodedByte(out, static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
        } else {
            AppendEncodedByte(out, static_cast<std::uint8_t>(0xF0 | (c >> 18)));
            AppendEncodedByte(out, static_cast<std::uint8_t>(0x80 | ((c >> 12) & 0x3F)));
            AppendEncodedByte(out, static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
            AppendEncodedByte(out, static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace

std::u16string EngineAddressOf(std::u16string_view text, PathStyle style) {
    if (style == PathStyle::kWindows) {
        // A drive path: "C:\..." or "C:/...".
        if (text.size() >= 3 && IsAsciiLetter(text[0]) && text[1] == u':' &&
            IsSeparator(text[2], style)) {
            return u"file:///" + EncodedPath(text, style);
        }
        // A share: "\\server\share\...".
        if (text.size() >= 3 && text[0] == u'\\' && text[1] == u'\\' && text[2] != u'\\' &&
            text[2] != u'?' && text[2] != u'.') {
            return u"file://" + EncodedPath(text.substr(2), style);
        }
        return std::u16string(text);
    }
    if (!text.empty() && text[0] == u'/' && (text.size() == 1 || text[1] != u'/')) {
        return u"file://" + EncodedPath(text, style);
    }
    return std::u16string(text);
}

}  // namespace quillmoor

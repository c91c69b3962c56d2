#include "handlers/engine_address.h"

#include <string_view>

#include "platform/ascii.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

bool IsSeparator(char16_t c, PathStyle style) {
    return c == u'/' || (style == PathStyle::kWindows && c == u'\\');
}

// Bytes that stand for themselves in the path of a file address.
bool KeepsInPath(char byte) {
    return IsAsciiLetter(byte) || IsAsciiDigit(byte) ||
           std::string_view("-._~!$&'()*+,;=:@/").find(byte) != std::string_view::npos;
}

// path in UTF-8, each byte that a URL path cannot hold percent-encoded; Windows
// separators become slashes. An unpaired surrogate counts as U+FFFD.
std::u16string EncodedPath(std::u16string_view path, PathStyle style) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string out;
    out.reserve(path.size() + 16);
    for (const char byte : Utf16ToUtf8(path)) {
        if (style == PathStyle::kWindows && byte == '\\') {
            out += u'/';
        } else if (KeepsInPath(byte)) {
            out += static_cast<char16_t>(byte);
        } else {
            const auto value = static_cast<unsigned char>(byte);
            out += u'%';
            out += kHex[value >> 4];
            out += kHex[value & 0xF];
        }
    }
    return out;
}

int HexValue(char16_t c) {
    if (IsAsciiDigit(c)) {
        return c - u'0';
    }
    const char16_t lower = AsciiLower(c);
    return lower >= u'a' && lower <= u'f' ? lower - u'a' + 10 : -1;
}

// address without its fragment, its percent-escapes decoded (to code units of their bytes).
std::u16string DocumentKey(std::u16string_view address) {
    address = address.substr(0, address.find(u'#'));
    std::u16string key;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (address[i] == u'%' && i + 2 < address.size() && HexValue(address[i + 1]) >= 0 &&
            HexValue(address[i + 2]) >= 0) {
            key += static_cast<char16_t>(HexValue(address[i + 1]) * 16 + HexValue(address[i + 2]));
            i += 2;
        } else {
            key += address[i];
        }
    }
    return key;
}

}  // namespace

bool IsSameDocumentAddress(std::u16string_view a, std::u16string_view b) {
    return !a.empty() && DocumentKey(a) == DocumentKey(b);
}

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

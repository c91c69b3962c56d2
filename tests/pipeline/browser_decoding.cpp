#include "tests/pipeline/browser_decoding.h"

#include <cctype>
#include <map>

#include "platform/ansi_code_page.h"
#include "platform/utf.h"

namespace quillmoor::test_support {
namespace {

constexpr std::size_t kDeclarationWindowBytes = 1024;

// windows-1252 as browsers decode it: bytes 80 to 9F by this table, the others as the
// characters of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// The encoding that a declared label names; empty for a label the tests do not use.
std::string EncodingOfLabel(std::string_view label) {
    while (!label.empty() && IsSpace(label.front())) {
        label.remove_prefix(1);
    }
    while (!label.empty() && IsSpace(label.back())) {
        label.remove_suffix(1);
    }
    const std::string name = Lower(label);
    for (const char* utf8 : {"utf-8", "utf8", "unicode-1-1-utf-8"}) {
        if (name == utf8) {
            return "UTF-8";
        }
    }
    // A declaration that the page is UTF-16 cannot be true of bytes it was read from.
    for (const char* utf16 : {"utf-16", "utf-16le", "utf-16be"}) {
        if (name == utf16) {
            return "UTF-8";
        }
    }
    for (const char* western : {"windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1",
                                "latin1", "l1", "us-ascii", "ascii"}) {
        if (name == western) {
            return "windows-1252";
        }
    }
    for (const char* japanese : {"shift_jis", "shift-jis", "sjis", "ms932", "windows-31j"}) {
        if (name == japanese) {
            return "Shift_JIS";
        }
    }
    return "";
}

// The label after "charset=" in the value of a content attribute.
std::string CharsetInContent(const std::string& content) {
    std::size_t at = content.find("charset");
    if (at == std::string::npos) {
        return "";
    }
    at += 7;
    while (at < content.size() && IsSpace(content[at])) {
        ++at;
    }
    if (at == content.size() || content[at] != '=') {
        return "";
    }
    ++at;
    while (at < content.size() && IsSpace(content[at])) {
        ++at;
    }
    if (at < content.size() && (content[at] == '"' || content[at] == '\'')) {
        const std::size_t end = content.find(content[at], at + 1);
        return end == std::string::npos ? "" : content.substr(at + 1, end - at - 1);
    }
    std::size_t end = at;
    while (end < content.size() && !IsSpace(content[end]) && content[end] != ';') {
        ++end;
    }
    return content.substr(at, end - at);
}

// The encoding that the first declaring meta element in the first 1024 bytes names.
std::string DeclaredEncoding(std::string_view bytes) {
    const std::string text = Lower(bytes.substr(0, kDeclarationWindowBytes));
    for (std::size_t at = 0; (at = text.find('<', at)) != std::string::npos;) {
        if (text.compare(at, 4, "<!--") == 0) {
            const std::size_t end = text.find("-->", at + 2);
            if (end == std::string::npos) {
                return "";
            }
            at = end + 3;
            continue;
        }
        if (text.compare(at, 5, "<meta") != 0 || at + 5 >= text.size() ||
            !(IsSpace(text[at + 5]) || text[at + 5] == '/')) {
            ++at;
            continue;
        }
        std::map<std::string, std::string> attributes;
        std::size_t i = at + 5;
        for (;;) {
            while (i < text.size() && (IsSpace(text[i]) || text[i] == '/')) {
                ++i;
            }
            if (i >= text.size()) {
                return "";  // the element runs past the window
            }
            if (text[i] == '>') {
                break;
            }
            const std::size_t name_start = i;
            while (i < text.size() && text[i] != '=' && text[i] != '>' && text[i] != '/' &&
                   !IsSpace(text[i])) {
                ++i;
            }
            const std::string name = text.substr(name_start, i - name_start);
            while (i < text.size() && IsSpace(text[i])) {
                ++i;
            }
            std::string value;
            if (i < text.size() && text[i] == '=') {
                ++i;
                while (i < text.size() && IsSpace(text[i])) {
                    ++i;
                }
                if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                    const std::size_t end = text.find(text[i], i + 1);
                    if (end == std::string::npos) {
                        return "";
                    }
                    value = text.substr(i + 1, end - i - 1);
                    i = end + 1;
                } else {
                    const std::size_t value_start = i;
                    while (i < text.size() && text[i] != '>' && !IsSpace(text[i])) {
                        ++i;
                    }
                    value = text.substr(value_start, i - value_start);
                }
            }
            attributes.emplace(name, value);
        }
        std::string encoding;
        if (attributes.contains("charset")) {
            encoding = EncodingOfLabel(attributes["charset"]);
        } else if (attributes["http-equiv"] == "content-type") {
            encoding = EncodingOfLabel(CharsetInContent(attributes["content"]));
        }
        if (!encoding.empty()) {
            return encoding;
        }
        at = i;
    }
    return "";
}

std::u16string DecodeUtf16(std::string_view bytes, bool big_endian) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<char16_t>(big_endian ? first << 8 | second : second << 8 | first);
    }
    if (bytes.size() % 2 != 0) {
        text += u'\uFFFD';
    }
    return text;
}

std::u16string DecodeWindows1252(std::string_view bytes) {
    std::u16string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t{byte};
    }
    return text;
}

std::string Choose(std::string_view bytes, BrowserDefault fallback) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return "UTF-8 by its mark";
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return "UTF-16BE by its mark";
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return "UTF-16LE by its mark";
    }
    const std::string declared = DeclaredEncoding(bytes);
    if (!declared.empty()) {
        return declared;
    }
    if (fallback == BrowserDefault::kUtf8ElseWindows1252 && IsValidUtf8(bytes)) {
        return "UTF-8";
    }
    return "windows-1252";
}

}  // namespace

std::string EncodingSeenByBrowser(std::string_view bytes, BrowserDefault fallback) {
    return Choose(bytes, fallback);
}

std::u16string DecodeAsBrowser(std::string_view bytes, BrowserDefault fallback) {
    const std::string encoding = Choose(bytes, fallback);
    if (encoding == "UTF-8 by its mark") {
        return Utf8ToUtf16(bytes.substr(3));
    }
    if (encoding == "UTF-16BE by its mark" || encoding == "UTF-16LE by its mark") {
        return DecodeUtf16(bytes.substr(2), encoding == "UTF-16BE by its mark");
    }
    if (encoding == "UTF-8") {
        return Utf8ToUtf16(bytes);
    }
    if (encoding == "Shift_JIS") {
        return AnsiCodePage::ForCodePage(932).Decode(bytes);
    }
    return DecodeWindows1252(bytes);
}

}  // namespace quillmoor::test_support

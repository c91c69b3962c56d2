#include "bridge/load_address.h"

#include <cstdlib>
#include <filesystem>

#include "platform/ascii.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "platform/working_directory.h"

namespace quillmoor::bridge {

namespace {

// Bytes that stand for themselves in a file URL's path.
bool IsPathByte(unsigned char c) {
    if (IsAsciiLetter(static_cast<char>(c)) || IsAsciiDigit(static_cast<char>(c))) {
        return true;
    }
    switch (c) {
        case '-':
        case '.':
        case '_':
        case '~':
        case '/':
        case '!':
        case '$':
        case '&':
        case '\'':
        case '(':
        case ')':
        case '*':
        case '+':
        case ',':
        case '=':
        case ':':
        case '@':
            return true;
        default:
            return false;
    }
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Length of the scheme before the ':' that ends it, or 0 when text has none. A single
// letter is a drive, not a scheme, and "host:port" names a web server.
std::size_t SchemeLength(std::string_view text) {
    if (text.empty() || !IsAsciiLetter(text[0])) {
        return 0;
    }
    std::size_t i = 1;
    while (i < text.size() && (IsAsciiLetter(text[i]) || IsAsciiDigit(text[i]) || text[i] == '+' ||
                               text[i] == '-' || text[i] == '.')) {
        ++i;
    }
    if (i >= text.size() || text[i] != ':' || i < 2) {
        return 0;
    }
    std::size_t digits = i + 1;
    while (digits < text.size() && IsAsciiDigit(text[digits])) {
        ++digits;
    }
    const bool port = digits > i + 1 && (digits == text.size() || text[digits] == '/');
    return port ? 0 : i;
}

bool IsExistingFile(const std::string& path) {
    return FileExists(Utf8ToUtf16(path));
}

}  // namespace

std::string FileUrlOfPath(std::string_view absolute_path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    url.reserve(url.size() + absolute_path.size());
    for (char c : absolute_path) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsPathByte(byte)) {
            url.push_back(c);
        } else {
            url.push_back('%');
            url.push_back(kHex[byte >> 4]);
            url.push_back(kHex[byte & 0x0F]);
        }
    }
    return url;
}

std::string AddressToLoad(std::string_view text, const std::string& working_folder,
                          const std::string& home_folder) {
    text = Trimmed(text);
    if (text.empty()) {
        return {};
    }
    if (text[0] == '/') {
        return FileUrlOfPath(text);
    }
    if (text[0] == '~' && (text.size() == 1 || text[1] == '/') && !home_folder.empty()) {
        return FileUrlOfPath(home_folder + std::string(text.substr(1)));
    }
    if (SchemeLength(text) > 0) {
        return std::string(text);
    }
    if (!working_folder.empty()) {
        const std::string relative =
            (std::filesystem::path(working_folder) / std::string(text)).lexically_normal().native();
        if (IsExistingFile(relative)) {
            return FileUrlOfPath(relative);
        }
    }
    return "http://" + std::string(text);
}

std::string AddressToLoad(std::string_view text) {
    std::string working_folder;
    try {
        working_folder = Utf16ToUtf8(CurrentDirectory());
    } catch (const FileSystemError&) {
        // no working folder: relative paths are taken as web addresses
    }
    const char* home = std::getenv("HOME");
    return AddressToLoad(text, working_folder, home != nullptr ? home : "");
}

}  // namespace quillmoor::bridge

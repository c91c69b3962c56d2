#include "pipeline/path_names.h"

#include "platform/ascii.h"

namespace quillmoor {
namespace {

// The position just after the last separator of path; 0 when it has none.
size_t NameStart(std::u16string_view path, PathStyle style) {
    const size_t last = style == PathStyle::kWindows ? path.find_last_of(u"\\:") : path.rfind(u'/');
    return last == std::u16string_view::npos ? 0 : last + 1;
}

// The position of the dot that starts the extension; npos when there is none.
size_t ExtensionStart(std::u16string_view path, PathStyle style) {
    const size_t dot = path.rfind(u'.');
    return dot != std::u16string_view::npos && dot >= NameStart(path, style)
               ? dot
               : std::u16string_view::npos;
}

}  // namespace

char16_t SeparatorOf(PathStyle style) {
    return style == PathStyle::kWindows ? u'\\' : u'/';
}

std::u16string FileNameOf(std::u16string_view path, PathStyle style) {
    return std::u16string(path.substr(NameStart(path, style)));
}

std::u16string ExtensionOf(std::u16string_view path, PathStyle style) {
    const size_t dot = ExtensionStart(path, style);
    return dot == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(dot));
}

std::u16string BaseNameOf(std::u16string_view path, PathStyle style) {
    const size_t start = NameStart(path, style);
    const size_t dot = ExtensionStart(path, style);
    return std::u16string(path.substr(start, dot == std::u16string_view::npos ? dot : dot - start));
}

std::u16string DirectoryOf(std::u16string_view path, PathStyle style) {
    const size_t start = NameStart(path, style);
    if (start == 0) {
        return std::u16string();
    }
    const size_t last = start - 1;
    const char16_t separator = SeparatorOf(style);
    const bool keep_last = path[last] != separator ||
                           (style == PathStyle::kWindows
                                ? last > 0 && (path[last - 1] == u':' || path[last - 1] == u'\\')
                                : last == 0);
    return std::u16string(path.substr(0, keep_last ? start : last));
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name, PathStyle style) {
    std::u16string joined(folder);
    if (!folder.empty() && (style == PathStyle::kWindows || folder.back() != u'/')) {
        joined += SeparatorOf(style);
    }
    joined += name;
    return joined;
}

std::u16string NumberedPath(std::u16string_view path, unsigned number, PathStyle style) {
    const size_t dot = ExtensionStart(path, style);
    const size_t cut = dot == std::u16string_view::npos ? path.size() : dot;
    std::u16string numbered(path.substr(0, cut));
    numbered += u'-';
    for (const char c : std::to_string(number)) {
        numbered += static_cast<char16_t>(c);
    }
    numbered += path.substr(cut);
    return numbered;
}

bool IsWellFormedPath(std::u16string_view path, PathStyle style) {
    if (path.empty()) {
        return false;
    }
    if (style == PathStyle::kPosix) {
        return path.find(u'\0') == std::u16string_view::npos;
    }
    for (size_t i = 0; i < path.size(); ++i) {
        const char16_t c = path[i];
        if (c < 0x20 || std::u16string_view(u"<>\"|?*").find(c) != std::u16string_view::npos) {
            return false;
        }
        if (c == u':' && !(i == 1 && IsAsciiLetter(path[0]))) {
            return false;
        }
    }
    return true;
}

}  // namespace quillmoor

#include "pipeline/page_text.h"

#include "pipeline/page_encoding.h"
#include "pipeline/path_names.h"
#include "pipeline/widget_snippet.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

// Room left at the end of a read page for the widget snippet.
constexpr std::size_t kSnippetRoomUnits = 1024;
// Names tried for a temporary page before giving up.
constexpr unsigned kTempPageNameAttempts = 100;

}  // namespace

std::u16string ReadPageText(const std::u16string& path, const AnsiCodePage& codePage) {
    return DecodePageText(ReadFileBytes(path, kMaxPageFileBytes), codePage, kSnippetRoomUnits);
}

std::optional<std::u16string> InjectWidget(std::u16string pageText,
                                           std::u16string_view languageCode) {
    size_t anchor = pageText.find(u"<head");
    if (anchor == std::u16string::npos) {
        anchor = pageText.find(u"<body");
    }
    if (anchor == std::u16string::npos) {
        return std::nullopt;
    }
    pageText.insert(anchor, WidgetSnippet(languageCode));
    return pageText;
}

std::u16string WriteTempPage(const std::u16string& path, std::u16string_view injectedText,
                             const AnsiCodePage& codePage) {
    std::u16string normalized;
    std::u16string_view text = injectedText;
    if (LineBreakGrowth(text) != 0) {
        normalized = text;
        NormalizeLineBreaks(normalized);
        text = normalized;
    }
    const FileContentWriter writePage = [&](FileContentSink& sink) {
        WriteEncodedPage(sink, {text}, codePage);
    };
    for (unsigned number = 1; number <= kTempPageNameAttempts; ++number) {
        const std::u16string candidate = number == 1 ? path : NumberedPath(path, number);
        if (WriteNewFile(candidate, writePage)) {
            return candidate;
        }
        if (IsTempPage(candidate)) {
            ReplaceFileContent(candidate, writePage);
            return candidate;
        }
    }
    throw FileSystemError("Cannot write the temporary page", path,
                          "its name and the next " + std::to_string(kTempPageNameAttempts - 1) +
                              " numbered names are taken by other files");
}

bool IsTempPage(const std::u16string& path) {
    if (!FileExists(path)) {
        return false;
    }
    // The snippet's opening is ASCII: the same bytes in every encoding the page is written in.
    static const std::string opening = Utf16ToUtf8(kWidgetSnippetOpening);
    try {
        return ReadFileBytes(path, kMaxPageFileBytes).find(opening) != std::string::npos;
    } catch (const FileSystemError&) {
        return false;
    }
}

bool RemoveTempPage(const std::u16string& path) {
    return IsTempPage(path) && RemoveFile(path);
}

}  // namespace quillmoor

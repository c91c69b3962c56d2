#include "pipeline/page_text.h"

#include "pipeline/markup_tags.h"

#include "pipeline/page_encoding.h"
#include "pipeline/page_text_decoder.h"
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

SourcePage ReadSourcePage(const std::u16string& path, const AnsiCodePage& code_page) {
    PageTextDecoder decoder(code_page, kSnippetRoomUnits);
    ReadFileContent(path, kMaxPageFileBytes, decoder);
    std::u16string text = decoder.Finish();
    const AnsiCodePage* const legacy = LegacyPageCodePage();
    if (decoder.FoundInvalidUtf8() && legacy != nullptr) {
        // Read again rather than keep every byte of every page for the rare one.
        return ReadSourcePage(path, *legacy);
    }
    return {std::move(text), decoder.FoundByteOrderMark() ? PageEncoding::Utf8WithMark()
                                                          : PageEncoding::InCodePage(code_page)};
}

std::u16string ReadPageText(const std::u16string& path, const AnsiCodePage& code_page) {
    return ReadSourcePage(path, code_page).text;
}

std::optional<std::u16string> InjectWidget(std::u16string page_text,
                                           std::u16string_view language_code) {
    size_t anchor = page_text.find(u"<head");
    if (anchor == std::u16string::npos) {
        anchor = page_text.find(u"<body");
    }
    if (anchor == std::u16string::npos) {
        return std::nullopt;
    }
    page_text.insert(anchor, WidgetSnippet(language_code));
    return page_text;
}

std::optional<std::u16string> InjectWidgetInBody(std::u16string page_text,
                                                 std::u16string_view language_code) {
    const std::size_t body = page_text.find(u"<body");
    if (body != std::u16string::npos) {
        MarkupTagScanner scanner(page_text, body);
        const std::optional<MarkupTag> tag = scanner.Next();
        if (tag && tag->begin == body && tag->kind == MarkupTag::Kind::kStart &&
            tag->name == u"body" && tag->end > 0 && page_text[tag->end - 1] == u'>') {
            page_text.insert(tag->end, WidgetSnippet(language_code));
            return page_text;
        }
    }
    return InjectWidget(std::move(page_text), language_code);
}

std::u16string WriteTempPage(const std::u16string& path, std::u16string_view injected_text,
                             const AnsiCodePage& code_page) {
    return WriteTempPage(path, injected_text, PageEncoding::InCodePage(code_page));
}

std::u16string WriteTempPage(const std::u16string& path, std::u16string_view injected_text,
                             const PageEncoding& encoding) {
    const FileContentWriter write_page = [&](FileContentSink& sink) {
        WriteEncodedPage(sink, {injected_text}, encoding, LineBreaks::kNormalized);
    };
    for (unsigned number = 1; number <= kTempPageNameAttempts; ++number) {
        const std::u16string candidate = number == 1 ? path : NumberedPath(path, number);
        if (WriteNewFile(candidate, write_page)) {
            return candidate;
        }
        if (IsTempPage(candidate)) {
            ReplaceFileContent(candidate, write_page);
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

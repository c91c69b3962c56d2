#include "pipeline/current_widget_traces.h"

#include <cstddef>
#include <optional>
#include <vector>

#include "pipeline/markup_tags.h"

namespace quillmoor {
namespace {

bool IsTooltipBlock(const MarkupTag& tag) {
    return tag.name == u"div" && tag.Attribute(u"id") == kTooltipBlockId &&
           tag.HasClass(kWidgetSkipClass) && tag.HasClass(kCurrentTooltipClass);
}

bool IsBannerFrame(const MarkupTag& tag) {
    return tag.name == u"iframe" && tag.HasClass(kWidgetSkipClass) &&
           tag.HasClass(kCurrentBannerFrameClass);
}

bool IsMenuFrame(const MarkupTag& tag) {
    return tag.name == u"iframe" && tag.HasClass(kWidgetSkipClass) &&
           tag.HasClass(kCurrentMenuFrameClass);
}

bool IsBlankText(std::u16string_view text) {
    return text.find_first_not_of(u" \t\r\n\f") == std::u16string_view::npos;
}

// Whether the element that wrapper opens (and that ends at wrapper_end) is a div of the
// class skiptranslate alone that holds nothing but the banner frame, blanks aside.
bool IsBannerWrapper(std::u16string_view markup, const MarkupTag& wrapper,
                     std::size_t wrapper_end) {
    if (wrapper.name != u"div") {
        return false;
    }
    const std::optional<std::u16string_view> classes = wrapper.Attribute(u"class");
    if (!classes) {
        return false;
    }
    const std::vector<std::u16string_view> names = ClassNames(*classes);
    if (names.size() != 1 || names[0] != kWidgetSkipClass) {
        return false;
    }
    const std::size_t content_end = markup.rfind(u"</", wrapper_end - 1);
    MarkupTagScanner scanner(markup.substr(0, content_end), wrapper.end);
    const std::optional<MarkupTag> frame = scanner.Next();
    if (!frame || frame->kind != MarkupTag::Kind::kStart || !IsBannerFrame(*frame) ||
        !IsBlankText(markup.substr(wrapper.end, frame->begin - wrapper.end))) {
        return false;
    }
    const std::optional<std::size_t> frame_end = ElementEnd(markup, *frame);
    return frame_end && *frame_end <= content_end &&
           IsBlankText(markup.substr(*frame_end, content_end - *frame_end));
}

}  // namespace

std::u16string StripCurrentWidgetTraces(std::u16string_view markup) {
    std::u16string result;
    std::size_t kept_from = 0;
    MarkupTagScanner scanner(markup);
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->kind != MarkupTag::Kind::kStart) {
            continue;
        }
        const bool trace = IsTooltipBlock(*tag) || IsBannerFrame(*tag) || IsMenuFrame(*tag);
        if (!trace && !(tag->name == u"div" && tag->HasClass(kWidgetSkipClass))) {
            continue;
        }
        const std::optional<std::size_t> end = ElementEnd(markup, *tag);
        if (!end || (!trace && !IsBannerWrapper(markup, *tag, *end))) {
            continue;
        }
        if (result.empty()) {
            result.reserve(markup.size());
        }
        result.append(markup.substr(kept_from, tag->begin - kept_from));
        kept_from = *end;
        scanner.MoveTo(*end);
    }
    if (kept_from == 0) {
        return std::u16string(markup);
    }
    result.append(markup.substr(kept_from));
    return result;
}

bool CarriesTranslationMark(std::u16string_view markup) {
    MarkupTagScanner scanner(markup);
    const std::optional<MarkupTag> root = scanner.Next();
    return root && root->kind == MarkupTag::Kind::kStart && root->name == u"html" &&
           (root->HasClass(u"translated-ltr") || root->HasClass(u"translated-rtl"));
}

}  // namespace quillmoor

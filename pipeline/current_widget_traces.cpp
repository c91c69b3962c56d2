#include "pipeline/current_widget_traces.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>
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

std::u16string StripCurrentWidgetTraces(std::u16string markup) {
    // The stretches to cut, found on the markup as it came; then the rest is moved together
    // in place, so that a large page is not held twice.
    std::vector<std::pair<std::size_t, std::size_t>> cuts;
    const std::u16string_view text = markup;
    MarkupTagScanner scanner(text);
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->kind != MarkupTag::Kind::kStart) {
            continue;
        }
        const bool trace = IsTooltipBlock(*tag) || IsBannerFrame(*tag) || IsMenuFrame(*tag);
        if (!trace && !(tag->name == u"div" && tag->HasClass(kWidgetSkipClass))) {
            continue;
        }
        const std::optional<std::size_t> end = ElementEnd(text, *tag);
        if (!end || (!trace && !IsBannerWrapper(text, *tag, *end))) {
            continue;
        }
        cuts.emplace_back(tag->begin, *end);
        scanner.MoveTo(*end);
    }
    if (cuts.empty()) {
        return markup;
    }
    std::size_t write = cuts.front().first;
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const std::size_t keep_begin = cuts[i].second;
        const std::size_t keep_end = i + 1 < cuts.size() ? cuts[i + 1].first : markup.size();
        std::copy(markup.begin() + static_cast<std::ptrdiff_t>(keep_begin),
                  markup.begin() + static_cast<std::ptrdiff_t>(keep_end),
                  markup.begin() + static_cast<std::ptrdiff_t>(write));
        write += keep_end - keep_begin;
    }
    markup.resize(write);
    return markup;
}

bool HoldsLanguageMenu(std::u16string_view markup) {
    MarkupTagScanner scanner(markup);
    for (std::optional<MarkupTag> tag = scanner.Next(); tag; tag = scanner.Next()) {
        if (tag->kind == MarkupTag::Kind::kStart &&
            ((tag->name == u"iframe" &&
              tag->Attribute(u"class") == u"goog-te-menu-frame skiptranslate") ||
             IsMenuFrame(*tag))) {
            return true;
        }
    }
    return false;
}

bool CarriesTranslationMark(std::u16string_view markup) {
    MarkupTagScanner scanner(markup);
    const std::optional<MarkupTag> root = scanner.Next();
    return root && root->kind == MarkupTag::Kind::kStart && root->name == u"html" &&
           (root->HasClass(u"translated-ltr") || root->HasClass(u"translated-rtl"));
}

}  // namespace quillmoor

#include "tests/win/scripted_engine/library/widget_page.h"

#include <algorithm>
#include <array>
#include <utility>

#include "handlers/page_scripts.h"
#include "pipeline/markup_tags.h"
#include "platform/ascii.h"

namespace quillmoor::scripted_engine {
namespace {

// Where the widget's host serves it; the engine reaches no network, it plays the host.
constexpr std::array<std::u16string_view, 2> kLoaderAddresses = {
    u"://translate.google.com/translate_a/element.js",
    u"://translate.googleapis.com/translate_a/element.js"};
constexpr std::u16string_view kFrameOrigin = u"https://translate.google.com/translate_a/";

constexpr std::u16string_view kMenuFrameStyle =
    u"visibility: visible; box-sizing: content-box; width: 135px; height: 69px; display: none;";
constexpr std::u16string_view kClassicMenuClass = u"goog-te-menu-frame skiptranslate";
constexpr std::u16string_view kCurrentMenuClass = u"VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate";
constexpr std::u16string_view kCurrentEntryClass = u"VIpgJd-ZVi9od-vH1Gmf-ibnC6b";
constexpr std::u16string_view kWrapperOpening = u"<font style=\"vertical-align: inherit;\">";

// The documents of the frames the widget loads, as the stand-in serves them.
constexpr std::u16string_view kBannerDocument =
    u"<!DOCTYPE html><html><head><title>Translated</title></head><body style=\"margin:0;"
    u"font:13px sans-serif;background:#e4ebf8\">Translated by the widget stand-in</body></html>";
constexpr std::u16string_view kRequestDocument =
    u"<!DOCTYPE html><html><head><title>Translation</title></head><body></body></html>";

constexpr std::array<std::u16string_view, 9> kRightToLeftCodes = {u"ar", u"fa", u"he", u"iw", u"ps",
                                                                  u"sd", u"ug", u"ur", u"yi"};

// Elements whose texts the widget leaves alone (the stand-in's list, and the head, whose
// texts are no part of the body).
constexpr std::array<std::u16string_view, 8> kSkippedElements = {
    u"script", u"style", u"noscript", u"iframe", u"textarea", u"template", u"head", u"title"};

constexpr std::array<std::u16string_view, 14> kVoidElements = {
    u"area",  u"base", u"br",   u"col",   u"embed",  u"hr",    u"img",
    u"input", u"link", u"meta", u"param", u"source", u"track", u"wbr"};

// Start tags that end an open paragraph.
constexpr std::array<std::u16string_view, 27> kParagraphClosers = {
    u"address",  u"article", u"aside",  u"blockquote", u"details", u"div",  u"dl",
    u"fieldset", u"figure",  u"footer", u"form",       u"h1",      u"h2",   u"h3",
    u"h4",       u"h5",      u"h6",     u"header",     u"hr",      u"main", u"nav",
    u"ol",       u"p",       u"pre",    u"section",    u"table",   u"ul"};

template <std::size_t N>
bool IsOneOf(std::u16string_view name, const std::array<std::u16string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsBlank(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return IsAsciiSpace(c); });
}

std::size_t PositionIn(std::u16string_view markup, std::u16string_view part) {
    return static_cast<std::size_t>(part.data() - markup.data());
}

// The end of the text of an element that start opens: the start of its end tag, or the end
// of the markup.
std::size_t ContentEnd(std::u16string_view markup, const MarkupTag& start) {
    const std::optional<std::size_t> end = ElementEnd(markup, start);
    if (!end) {
        return markup.size();
    }
    const std::size_t end_tag = markup.rfind(u"</", *end - 1);
    return end_tag == std::u16string_view::npos || end_tag < start.end ? start.end : end_tag;
}

// The string literal ('...' or "...") that starts at position, after blanks; nothing when
// there is none.
std::optional<std::u16string> StringLiteralAt(std::u16string_view text, std::size_t& position) {
    while (position < text.size() && IsAsciiSpace(text[position])) {
        ++position;
    }
    if (position >= text.size() || (text[position] != u'\'' && text[position] != u'"')) {
        return std::nullopt;
    }
    const char16_t quote = text[position];
    const std::size_t close = text.find(quote, position + 1);
    if (close == std::u16string_view::npos) {
        return std::nullopt;
    }
    std::u16string literal(text.substr(position + 1, close - position - 1));
    position = close + 1;
    return literal;
}

// Skips blanks and then the character c; false when another character comes first.
bool Expect(std::u16string_view text, std::size_t& position, char16_t c) {
    while (position < text.size() && IsAsciiSpace(text[position])) {
        ++position;
    }
    if (position < text.size() && text[position] == c) {
        ++position;
        return true;
    }
    return false;
}

std::u16string AttributeText(std::u16string_view value) {
    std::u16string text;
    for (const char16_t c : value) {
        switch (c) {
            case u'&':
                text += u"&amp;";
                break;
            case u'"':
                text += u"&quot;";
                break;
            default:
                text += c;
        }
    }
    return text;
}

// The address of a frame of the widget's host (as an attribute's text when escaped).
std::u16string FrameAddress(std::u16string_view name, std::u16string_view code, int part) {
    std::u16string address =
        std::u16string(kFrameOrigin) + std::u16string(name) + u"?tl=" + std::u16string(code);
    if (part > 0) {
        address += u"&part=" + std::u16string(1, static_cast<char16_t>(u'0' + part));
    }
    return address;
}

std::u16string HiddenFrame(std::u16string_view code, int part) {
    return u"<iframe class=\"skiptranslate\" src=\"" +
           AttributeText(FrameAddress(u"t", code, part)) + u"\" style=\"display: none;\"></iframe>";
}

// The texts of the body that the widget translates, as stretches of the markup: every run
// of text outside the skipped elements, the widget's elements and the elements of the
// classes skiptranslate and notranslate, that is not blank.
std::vector<std::pair<std::size_t, std::size_t>> TranslatableTexts(std::u16string_view markup) {
    struct Open {
        std::u16string name;
        bool skipped;
    };
    std::vector<Open> open;
    int skipped_depth = 0;
    std::vector<std::pair<std::size_t, std::size_t>> texts;
    const auto take_gap = [&](std::size_t from, std::size_t to) {
        if (skipped_depth > 0) {
            return;
        }
        // Comments and declarations that the scanner passed over are no text.
        while (from < to) {
            std::size_t stop = markup.substr(0, to).find(u"<!", from);
            if (stop == std::u16string_view::npos) {
                stop = to;
            }
            if (!IsBlank(markup.substr(from, stop - from))) {
                texts.emplace_back(from, stop);
            }
            if (stop >= to) {
                break;
            }
            const bool comment = markup.substr(stop).starts_with(u"<!--");
            const std::size_t close = markup.find(comment ? u"-->" : u">", stop);
            from = close == std::u16string_view::npos
                       ? to
                       : std::min(to, close + (comment ? std::size_t{3} : std::size_t{1}));
        }
    };
    const auto pop = [&] {
        skipped_depth -= open.back().skipped ? 1 : 0;
        open.pop_back();
    };
    MarkupTagScanner scanner(markup);
    std::size_t position = 0;
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        take_gap(position, tag->begin);
        position = tag->end;
        if (tag->kind == MarkupTag::Kind::kEnd) {
            for (std::size_t i = open.size(); i > 0; --i) {
                if (open[i - 1].name == tag->name) {
                    while (open.size() >= i) {
                        pop();
                    }
                    break;
                }
            }
            continue;
        }
        // The ends that the markup leaves out: a paragraph, a list item, a cell.
        if (!open.empty()) {
            const std::u16string& top = open.back().name;
            const bool same_item =
                (top == tag->name &&
                 (top == u"li" || top == u"option" || top == u"tr" || top == u"p")) ||
                ((top == u"td" || top == u"th") && (tag->name == u"td" || tag->name == u"th")) ||
                ((top == u"dt" || top == u"dd") && (tag->name == u"dt" || tag->name == u"dd"));
            if (same_item || (top == u"p" && IsOneOf(tag->name, kParagraphClosers))) {
                pop();
            }
        }
        if (tag->closing == MarkupTag::Closing::kSelfClosing || IsOneOf(tag->name, kVoidElements)) {
            continue;
        }
        const bool skipped = IsOneOf(tag->name, kSkippedElements) ||
                             tag->HasClass(u"skiptranslate") || tag->HasClass(u"notranslate") ||
                             tag->Attribute(u"id") == u"google_translate_element";
        open.push_back({tag->name, skipped});
        skipped_depth += skipped ? 1 : 0;
    }
    take_gap(position, markup.size());
    return texts;
}

}  // namespace

WidgetStyle WidgetStyleNamed(std::u16string_view text) {
    if (text == u"current") {
        return WidgetStyle::kCurrent;
    }
    if (text == u"untranslating") {
        return WidgetStyle::kUntranslating;
    }
    return WidgetStyle::kClassic;
}

std::vector<WindowOpenCall> FindWindowOpenCalls(std::u16string_view script) {
    constexpr std::u16string_view kCall = u"window.open(";
    std::vector<WindowOpenCall> calls;
    for (std::size_t at = script.find(kCall); at != std::u16string_view::npos;
         at = script.find(kCall, at + 1)) {
        std::size_t position = at + kCall.size();
        std::optional<std::u16string> url = StringLiteralAt(script, position);
        if (!url) {
            continue;
        }
        WindowOpenCall call;
        call.url = std::move(*url);
        if (Expect(script, position, u',')) {
            if (std::optional<std::u16string> name = StringLiteralAt(script, position)) {
                call.name = std::move(*name);
            }
            call.with_features = Expect(script, position, u',');
        }
        calls.push_back(std::move(call));
    }
    return calls;
}

WidgetPage::WidgetPage() : markup_(u"<html><head></head><body></body></html>") {}

WidgetPage WidgetPage::ErrorPage(std::u16string_view url, std::u16string_view error) {
    WidgetPage page;
    page.markup_ = u"<html><head><title>" + std::u16string(url) + u"</title></head><body>" +
                   std::u16string(error) + u"</body></html>";
    return page;
}

WidgetPage WidgetPage::FromText(std::u16string text, WidgetStyle style) {
    WidgetPage page;
    page.style_ = style;
    page.markup_ = std::move(text);
    // A browser's document always has its root element.
    {
        MarkupTagScanner scanner(page.markup_);
        const std::optional<MarkupTag> first = scanner.Next();
        if (!first || first->kind != MarkupTag::Kind::kStart || first->name != u"html") {
            const std::size_t at = first ? first->begin : page.markup_.size();
            page.markup_.insert(at, u"<html>");
            page.markup_ += u"</html>";
        }
    }

    // The loader of the widget and the script that configures it.
    std::optional<std::u16string> callback;
    std::optional<std::pair<std::u16string, std::u16string>> configuration;  // languages, box
    const std::u16string_view markup = page.markup_;
    MarkupTagScanner scanner(markup);
    std::vector<std::u16string_view> scripts;
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->kind != MarkupTag::Kind::kStart || tag->name != u"script") {
            continue;
        }
        if (const std::optional<std::u16string_view> source = tag->Attribute(u"src")) {
            for (const std::u16string_view address : kLoaderAddresses) {
                const std::size_t found = source->find(address);
                const std::size_t query = source->find(u"cb=");
                if (found != std::u16string_view::npos && query != std::u16string_view::npos) {
                    const std::u16string_view name = source->substr(query + 3);
                    callback = std::u16string(name.substr(0, name.find(u'&')));
                }
            }
            continue;
        }
        scripts.push_back(markup.substr(tag->end, ContentEnd(markup, *tag) - tag->end));
    }
    for (const std::u16string_view script : scripts) {
        constexpr std::u16string_view kLanguages = u"includedLanguages:";
        const std::size_t call = script.find(u"google.translate.TranslateElement(");
        const std::size_t languages_at = script.find(kLanguages);
        if (!callback || call == std::u16string_view::npos ||
            languages_at == std::u16string_view::npos ||
            script.find(u"function " + *callback + u"(") == std::u16string_view::npos) {
            continue;
        }
        std::size_t position = languages_at + kLanguages.size();
        std::optional<std::u16string> languages = StringLiteralAt(script, position);
        if (!languages) {
            continue;
        }
        // The container: the call's second argument, after the options' closing brace.
        std::u16string box;
        std::size_t brace = script.find(u'}', position);
        while (brace != std::u16string_view::npos) {
            std::size_t after = brace + 1;
            if (Expect(script, after, u',')) {
                if (std::optional<std::u16string> id = StringLiteralAt(script, after)) {
                    box = std::move(*id);
                    break;
                }
            }
            brace = script.find(u'}', brace + 1);
        }
        configuration.emplace(std::move(*languages), std::move(box));
        break;
    }
    if (configuration) {
        page.included_languages_ = configuration->first;
        std::u16string_view rest = page.included_languages_;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(u',');
            const std::u16string_view code = rest.substr(0, comma);
            if (!code.empty()) {
                page.codes_.emplace_back(code);
            }
            rest =
                comma == std::u16string_view::npos ? std::u16string_view() : rest.substr(comma + 1);
        }
        page.ShowWidget(configuration->second);
    }
    return page;
}

void WidgetPage::ShowWidget(std::u16string_view container_id) {
    const bool classic = style_ == WidgetStyle::kClassic;
    // The gadget in its container, where there is one.
    if (!container_id.empty()) {
        MarkupTagScanner scanner(markup_);
        while (std::optional<MarkupTag> tag = scanner.Next()) {
            if (tag->kind == MarkupTag::Kind::kStart && tag->Attribute(u"id") == container_id) {
                const std::size_t end = ContentEnd(markup_, *tag);
                markup_.replace(tag->end, end - tag->end,
                                classic ? u"<div class=\"skiptranslate goog-te-gadget-simple\">"
                                          u"<span class=\"goog-te-menu-value\"><span>Select "
                                          u"Language</span></span></div>"
                                        : u"<div class=\"skiptranslate goog-te-gadget\" "
                                          u"dir=\"ltr\"><div class=\"VIpgJd-ZVi9od-xl07Ob-lTBxed\">"
                                          u"<span>Select Language</span></div></div>");
                break;
            }
        }
    }
    // The language menu frame at the end of the body.
    std::u16string frame = u"<iframe class=\"";
    frame += classic ? kClassicMenuClass : kCurrentMenuClass;
    frame += u"\" title=\"Language Translate Widget\" style=\"";
    frame += style_ == WidgetStyle::kUntranslating ? u"display: none;" : kMenuFrameStyle;
    frame += u"\"></iframe>";
    markup_.insert(BodyEnd(), frame);
    if (style_ == WidgetStyle::kUntranslating) {
        codes_.clear();  // a menu without entries
    }
    menu_shown_ = true;
}

std::u16string WidgetPage::MenuDocument() const {
    std::u16string list;
    if (style_ == WidgetStyle::kClassic) {
        list = u"<div class=\"goog-te-menu2\">";
        for (const std::u16string& code : codes_) {
            list += u"<a class=\"goog-te-menu2-item\"><div><span class=\"text\">" + code +
                    u"</span></div></a>";
        }
    } else {
        list = u"<div class=\"VIpgJd-ZVi9od-vH1Gmf\" role=\"menu\">";
        if (style_ == WidgetStyle::kCurrent) {
            list += u"<a class=\"" + std::u16string(kCurrentEntryClass) + u" " +
                    std::u16string(kCurrentEntryClass) +
                    u"-gk6SMd\" value=\"auto\" href=\"javascript:void(0)\"><div><span "
                    u"class=\"text\">Original</span></div></a>";
        }
        for (const std::u16string& code : codes_) {
            list += u"<a class=\"" + std::u16string(kCurrentEntryClass) + u"\" value=\"" + code +
                    u"\" href=\"javascript:void(0)\"><div><span class=\"text\">" + code +
                    u"</span></div></a>";
        }
    }
    return u"<!DOCTYPE html><html><head><title></title></head><body>" + list +
           u"</div></body></html>";
}

std::vector<std::u16string> WidgetPage::InlineScripts() const {
    std::vector<std::u16string> scripts;
    MarkupTagScanner scanner(markup_);
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->kind == MarkupTag::Kind::kStart && tag->name == u"script" &&
            !tag->Attribute(u"src")) {
            scripts.push_back(markup_.substr(tag->end, ContentEnd(markup_, *tag) - tag->end));
        }
    }
    return scripts;
}

std::u16string WidgetPage::Text() const {
    std::u16string text;
    MarkupTagScanner scanner(markup_);
    std::size_t position = 0;
    bool in_head = false;
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (!in_head) {
            // Comments and declarations that the scanner passed over are no text either.
            std::u16string_view gap =
                std::u16string_view(markup_).substr(position, tag->begin - position);
            if (gap.find(u"<!") == std::u16string_view::npos) {
                text += gap;
            }
        }
        position = tag->end;
        if (tag->name == u"head") {
            in_head = tag->kind == MarkupTag::Kind::kStart;
        }
        if (tag->kind == MarkupTag::Kind::kStart &&
            (tag->name == u"script" || tag->name == u"style" || tag->name == u"iframe" ||
             tag->name == u"title" || tag->name == u"noscript")) {
            position = ContentEnd(markup_, *tag);
        }
    }
    if (!in_head) {
        text += std::u16string_view(markup_).substr(position);
    }
    return text;
}

std::optional<std::u16string> WidgetPage::EntryClickedBy(std::u16string_view script) const {
    if (!menu_shown_ || codes_.empty()) {
        return std::nullopt;
    }
    if (script == kPickLanguageScript) {
        // The earlier widget's script clicks the first entry of its menu.
        if (style_ == WidgetStyle::kClassic) {
            return codes_.front();
        }
        return std::nullopt;
    }
    if (script == kPickLanguageInCurrentMenuScript) {
        // The current widget's script stands back where the earlier widget's menu is.
        if (style_ != WidgetStyle::kCurrent) {
            return std::nullopt;
        }
        const auto exact = std::find(codes_.begin(), codes_.end(), included_languages_);
        return exact != codes_.end() ? *exact : codes_.front();
    }
    return std::nullopt;
}

std::vector<WidgetFrame> WidgetPage::Translate(const std::u16string& code) {
    if (translated_ || !menu_shown_ ||
        std::find(codes_.begin(), codes_.end(), code) == codes_.end()) {
        return {};
    }
    translated_ = true;
    MarkTexts(code);
    MarkRoot(code);
    return AddFrames(code);
}

void WidgetPage::MarkTexts(const std::u16string& code) {
    const std::vector<std::pair<std::size_t, std::size_t>> texts = TranslatableTexts(markup_);
    const std::u16string mark = u"[" + code + u"] ";
    // From the last text to the first, so that the positions still hold.
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        std::size_t lead = it->first;
        while (lead < it->second && IsAsciiSpace(markup_[lead])) {
            ++lead;
        }
        if (style_ == WidgetStyle::kCurrent) {
            const std::u16string rest = markup_.substr(lead, it->second - lead);
            markup_.replace(lead, it->second - lead,
                            std::u16string(kWrapperOpening) + std::u16string(kWrapperOpening) +
                                mark + rest + u"</font></font>");
        } else {
            markup_.insert(lead, mark);
        }
    }
}

void WidgetPage::MarkRoot(const std::u16string& code) {
    const std::u16string_view token =
        IsOneOf(code, kRightToLeftCodes) ? u"translated-rtl" : u"translated-ltr";
    MarkupTagScanner scanner(markup_);
    const std::optional<MarkupTag> root = scanner.Next();
    if (!root || root->kind != MarkupTag::Kind::kStart || root->name != u"html") {
        return;
    }
    for (const auto& [name, value] : root->attributes) {
        if (!EqualsIgnoringAsciiCase(name, u"class")) {
            continue;
        }
        if (value.data() == nullptr) {  // a class attribute without a value
            markup_.replace(PositionIn(markup_, name), name.size(),
                            u"class=\"" + std::u16string(token) + u"\"");
            return;
        }
        const std::size_t begin = PositionIn(markup_, value);
        const std::size_t end = begin + value.size();
        const bool quoted =
            begin > 0 && (markup_[begin - 1] == u'"' || markup_[begin - 1] == u'\'');
        std::u16string classes(value);
        classes += classes.empty() ? u"" : u" ";
        classes += token;
        markup_.replace(begin, end - begin, quoted ? classes : u"\"" + classes + u"\"");
        return;
    }
    std::size_t close = root->end - 1;  // the ">"
    if (root->closing == MarkupTag::Closing::kSelfClosing) {
        close = markup_.rfind(u'/', close);
    }
    markup_.insert(close, u" class=\"" + std::u16string(token) + u"\"");
}

std::vector<WidgetFrame> WidgetPage::AddFrames(const std::u16string& code) {
    std::vector<WidgetFrame> frames;
    if (style_ == WidgetStyle::kClassic) {
        // The banner frame at the top of the body, the tooltip block with its two hidden
        // frames before the menu frame.
        markup_.insert(BodyStart(),
                       u"<iframe id=\":2.container\" class=\"goog-te-banner-frame "
                       u"skiptranslate\" frameborder=\"0\" src=\"" +
                           AttributeText(FrameAddress(u"banner.html", code, 0)) +
                           u"\" style=\"visibility:visible\"></iframe>");
        const std::u16string menu_opening = u"<iframe class=\"" + std::u16string(kClassicMenuClass);
        std::size_t menu = markup_.rfind(menu_opening);
        if (menu == std::u16string::npos) {
            menu = BodyEnd();
        }
        markup_.insert(menu,
                       u"<div id=\"goog-gt-tt\" class=\"skiptranslate\" dir=\"ltr\"><div "
                       u"style=\"padding: 8px;\"><div class=\"logo\"></div></div><div "
                       u"class=\"top\" style=\"padding: 8px; float: left; width: "
                       u"100%;\"><h1 class=\"title gray\">Original text</h1></div><div "
                       u"class=\"middle\" style=\"padding: 8px;\"><div "
                       u"class=\"original-text\"></div></div>" +
                           HiddenFrame(code, 1) + HiddenFrame(code, 2) + u"</div>");
        frames.push_back(
            {FrameAddress(u"banner.html", code, 0), u"", std::u16string(kBannerDocument)});
        frames.push_back({FrameAddress(u"t", code, 1), u"", std::u16string(kRequestDocument)});
        frames.push_back({FrameAddress(u"t", code, 2), u"", std::u16string(kRequestDocument)});
        return frames;
    }
    // The current widget: the skiptranslate div with the banner frame, then the tooltip
    // block with the voting frame and a hidden frame, at the end of the body.
    const std::u16string voting = AttributeText(FrameAddress(u"t", code, 1));
    markup_.insert(
        BodyEnd(),
        u"<div class=\"skiptranslate\"><iframe id=\":1.container\" class=\"VIpgJd-ZVi9od-ORHb-"
        u"OEVmcd skiptranslate\" title=\"Google Translate\" frameborder=\"0\" src=\"" +
            AttributeText(FrameAddress(u"banner.html", code, 0)) +
            u"\" style=\"visibility:visible\"></iframe></div>"
            u"<div id=\"goog-gt-tt\" class=\"VIpgJd-yAWNEb-L7lbkb skiptranslate\" "
            u"style=\"border-radius: 12px; margin: 0 0 0 -23px; padding: 0; font-family: "
            u"'Google Sans', Arial, sans-serif;\" data-id=\"\"><div id=\"goog-gt-vt\" "
            u"class=\"VIpgJd-yAWNEb-hvhgNd\"><div class=\" VIpgJd-yAWNEb-hvhgNd-l4eHX-i3jM2d\">"
            u"<div class=\"logo\"></div></div><div class=\" VIpgJd-yAWNEb-hvhgNd-k77Iif-i3jM2d\">"
            u"<div class=\"VIpgJd-yAWNEb-hvhgNd-IuizWc\" dir=\"ltr\">Original text</div></div>"
            u"<div class=\"VIpgJd-yAWNEb-hvhgNd-axAV1\"><div class=\"VIpgJd-yAWNEb-hvhgNd-N7Eqid "
            u"ltr\"><div class=\"VIpgJd-yAWNEb-hvhgNd-N7Eqid-B7I4Od ltr\" dir=\"ltr\"><div "
            u"class=\"VIpgJd-yAWNEb-hvhgNd-UTujCb\">Rate this translation</div></div><div "
            u"class=\"VIpgJd-yAWNEb-hvhgNd-xgov5 ltr\"><button "
            u"class=\"VIpgJd-yAWNEb-hvhgNd-bgm6sf\" "
            u"title=\"Good translation\"></button><button class=\"VIpgJd-yAWNEb-hvhgNd-bgm6sf\" "
            u"title=\"Poor translation\"></button></div></div><div "
            u"id=\"goog-gt-votingHiddenPane\" class=\"VIpgJd-yAWNEb-hvhgNd-aXYTce\"><form "
            u"id=\"goog-gt-votingForm\" action=\"" +
            voting +
            u"\" method=\"get\" target=\"votingFrame\" class=\"VIpgJd-yAWNEb-hvhgNd-aXYTce\">"
            u"<input type=\"text\" name=\"sl\" id=\"goog-gt-votingInputSrcLang\"><input "
            u"type=\"text\" name=\"vote\" id=\"goog-gt-votingInputVote\"></form><iframe "
            u"name=\"votingFrame\" frameborder=\"0\" src=\"" +
            voting + u"\"></iframe></div></div></div>" + HiddenFrame(code, 2) + u"</div>");
    frames.push_back({FrameAddress(u"banner.html", code, 0), u"", std::u16string(kBannerDocument)});
    frames.push_back(
        {FrameAddress(u"t", code, 1), u"votingFrame", std::u16string(kRequestDocument)});
    frames.push_back({FrameAddress(u"t", code, 2), u"", std::u16string(kRequestDocument)});
    return frames;
}

std::size_t WidgetPage::BodyStart() const {
    MarkupTagScanner scanner(markup_);
    std::optional<std::size_t> after_head;
    std::optional<std::size_t> after_root;
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->name == u"body" && tag->kind == MarkupTag::Kind::kStart) {
            return tag->end;
        }
        if (tag->name == u"head" && tag->kind == MarkupTag::Kind::kEnd && !after_head) {
            after_head = tag->end;
        }
        if (tag->name == u"html" && tag->kind == MarkupTag::Kind::kStart && !after_root) {
            after_root = tag->end;
        }
    }
    return after_head ? *after_head : after_root ? *after_root : 0;
}

std::size_t WidgetPage::BodyEnd() const {
    MarkupTagScanner scanner(markup_);
    std::optional<std::size_t> body_end;
    std::optional<std::size_t> root_end;
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->kind != MarkupTag::Kind::kEnd) {
            continue;
        }
        if (tag->name == u"body") {
            body_end = tag->begin;
        } else if (tag->name == u"html") {
            root_end = tag->begin;
        }
    }
    return body_end ? *body_end : root_end ? *root_end : markup_.size();
}

}  // namespace quillmoor::scripted_engine

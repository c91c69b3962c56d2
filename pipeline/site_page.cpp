#include "pipeline/site_page.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "pipeline/markup_tags.h"
#include "platform/ascii.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

constexpr std::u16string_view kContainerId = u"google_translate_element";

// The elements that the HTML parser keeps in the head.
constexpr std::array<std::u16string_view, 11> kHeadElements = {
    u"base",     u"basefont", u"bgsound", u"link",   u"meta",    u"title",
    u"noscript", u"noframes", u"style",   u"script", u"template"};

// Where the widget's loader fetches its scripts and style sheets from.
constexpr std::array<std::u16string_view, 4> kWidgetHosts = {
    u"//translate.googleapis.com/", u"//translate.google.com/", u"//translate-pa.googleapis.com/",
    u"//www.gstatic.com/_/translate_http/"};

constexpr std::array<std::u16string_view, 9> kRightToLeftCodes = {u"ar", u"fa", u"he", u"iw", u"ps",
                                                                  u"sd", u"ug", u"ur", u"yi"};

bool IsHeadElement(std::u16string_view name) {
    return std::find(kHeadElements.begin(), kHeadElements.end(), name) != kHeadElements.end();
}

bool IsBlank(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return IsAsciiSpace(c); });
}

// The position just past the comments, declarations and blanks that start text at from.
std::size_t SkipBlanksAndComments(std::u16string_view text, std::size_t from) {
    for (;;) {
        while (from < text.size() && (IsAsciiSpace(text[from]) || text[from] == u'\uFEFF')) {
            ++from;
        }
        const std::u16string_view rest = text.substr(from);
        if (rest.starts_with(u"<!--")) {
            const std::size_t close = text.find(u"-->", from + 4);
            from = close == std::u16string_view::npos ? text.size() : close + 3;
        } else if (rest.starts_with(u"<?") ||
                   (rest.starts_with(u"<!") &&
                    !EqualsIgnoringAsciiCase(rest.substr(0, 9), u"<!doctype"))) {
            const std::size_t close = text.find(u'>', from);
            from = close == std::u16string_view::npos ? text.size() : close + 1;
        } else {
            return from;
        }
    }
}

// A stretch [begin, end) of a text.
struct Stretch {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t size() const { return end - begin; }
};

// The doctype that starts text (after comments and blanks), if it has one.
std::optional<Stretch> FindDoctype(std::u16string_view text) {
    const std::size_t at = SkipBlanksAndComments(text, 0);
    if (!EqualsIgnoringAsciiCase(text.substr(at, 9), u"<!doctype")) {
        return std::nullopt;
    }
    const std::size_t close = text.find(u'>', at);
    return Stretch{at, close == std::u16string_view::npos ? text.size() : close + 1};
}

// What identifies an element of the head wherever the browser put it: its name and the
// names of its attributes (the values may be translated or written otherwise).
struct ElementKey {
    std::u16string name;
    std::vector<std::u16string> attribute_names;  // in lower case, sorted, without repeats

    explicit ElementKey(const MarkupTag& tag) : name(tag.name) {
        for (const auto& attribute : tag.attributes) {
            attribute_names.push_back(AsciiLowerCopy(attribute.first));
        }
        std::sort(attribute_names.begin(), attribute_names.end());
        attribute_names.erase(std::unique(attribute_names.begin(), attribute_names.end()),
                              attribute_names.end());
    }
    bool operator==(const ElementKey&) const = default;
};

// What CleanSitePage takes from the source page.
struct SourceShape {
    std::optional<Stretch> doctype;
    std::optional<MarkupTag> root;
    std::vector<ElementKey> head;  // the elements the parser puts in the head, in order
    // The blanks between the last of them and "</head>", and between "</head>" and the body.
    std::u16string_view head_tail_blanks;
    std::u16string_view between_head_and_body;
    std::optional<MarkupTag> body;
};

// Whether the captured head (head, up to head_end) holds the source's first head element (the
// widget's own loads aside): then the browser kept the head as the source has it (the
// snippet stood in the body), and nothing is moved into it.
bool HeadHolds(std::u16string_view markup, const MarkupTag& head, std::size_t head_end,
               const struct SourceShape& source);

SourceShape ReadSourceShape(std::u16string_view source) {
    SourceShape shape;
    shape.doctype = FindDoctype(source);
    MarkupTagScanner scanner(source);
    std::size_t last_end = shape.doctype ? shape.doctype->end : 0;
    std::optional<std::size_t> head_close;
    bool head_open = true;
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        const std::size_t text_start = SkipBlanksAndComments(source, last_end);
        if (head_open && text_start < tag->begin) {
            head_open = false;  // text ends the head
        }
        if (tag->kind == MarkupTag::Kind::kStart && tag->name == u"body") {
            if (head_close && IsBlank(source.substr(*head_close, tag->begin - *head_close))) {
                shape.between_head_and_body = source.substr(*head_close, tag->begin - *head_close);
            }
            shape.body = std::move(*tag);
            break;
        }
        if (!head_open) {
            continue;
        }
        if (tag->kind == MarkupTag::Kind::kEnd) {
            head_open = false;
            if (tag->name == u"head") {
                if (IsBlank(source.substr(last_end, tag->begin - last_end))) {
                    shape.head_tail_blanks = source.substr(last_end, tag->begin - last_end);
                }
                head_close = tag->end;
            }
        } else if (tag->name == u"html" && !shape.root && shape.head.empty()) {
            shape.root = *tag;
            last_end = tag->end;
        } else if (tag->name == u"head" && shape.head.empty()) {
            last_end = tag->end;
        } else if (IsHeadElement(tag->name)) {
            const std::optional<std::size_t> end = ElementEnd(source, *tag);
            if (!end) {
                break;
            }
            shape.head.emplace_back(*tag);
            scanner.MoveTo(*end);
            last_end = *end;
        } else {
            head_open = false;
        }
    }
    return shape;
}

// text with its line breaks as the parser reads them: CR LF and CR become LF.
std::u16string ParsedLineBreaks(std::u16string_view text) {
    std::u16string parsed;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            parsed.push_back(u'\n');
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            parsed.push_back(text[i]);
        }
    }
    return parsed;
}

// Appends the attribute as markup: a blank, the name and the quoted value (none for an
// attribute written without one).
void AppendAttribute(std::u16string& out, std::u16string_view name,
                     std::optional<std::u16string_view> value) {
    out += u' ';
    out += name;
    if (!value) {
        return;
    }
    const char16_t quote = value->find(u'"') == std::u16string_view::npos ? u'"' : u'\'';
    out += u'=';
    out += quote;
    out += *value;
    out += quote;
}

std::optional<std::u16string_view> ValueOf(std::u16string_view value) {
    // The scanner leaves the value of an attribute written without "=" unset.
    if (value.data() == nullptr) {
        return std::nullopt;
    }
    return value;
}

// The root element's start tag: the source's attributes, with the language set.
std::u16string RootStartTag(const std::optional<MarkupTag>& source_root,
                            std::u16string_view language_code) {
    const bool right_to_left = IsRightToLeftLanguage(language_code);
    const std::u16string language_tag = LanguageTagOf(language_code);
    std::u16string tag = u"<html";
    bool has_lang = false;
    bool has_dir = false;
    if (source_root) {
        for (const auto& [name, value] : source_root->attributes) {
            if (EqualsIgnoringAsciiCase(name, u"lang") ||
                EqualsIgnoringAsciiCase(name, u"xml:lang")) {
                has_lang = has_lang || EqualsIgnoringAsciiCase(name, u"lang");
                AppendAttribute(tag, name, language_tag);
            } else if (EqualsIgnoringAsciiCase(name, u"dir") && right_to_left) {
                has_dir = true;
                AppendAttribute(tag, name, u"rtl");
            } else {
                AppendAttribute(tag, name, ValueOf(value));
            }
        }
    }
    if (!has_lang) {
        AppendAttribute(tag, u"lang", language_tag);
    }
    if (right_to_left && !has_dir) {
        AppendAttribute(tag, u"dir", u"rtl");
    }
    tag += u'>';
    return tag;
}

// The body's start tag as captured, with the source's style attribute; nothing when the
// captured one has that already.
std::optional<std::u16string> BodyStartTag(const MarkupTag& captured,
                                           const std::optional<MarkupTag>& source) {
    const std::optional<std::u16string_view> style = captured.Attribute(u"style");
    const std::optional<std::u16string_view> source_style =
        source ? source->Attribute(u"style") : std::nullopt;
    if (style == source_style) {
        return std::nullopt;
    }
    std::u16string tag = u"<body";
    for (const auto& [name, value] : captured.attributes) {
        if (!EqualsIgnoringAsciiCase(name, u"style")) {
            AppendAttribute(tag, name, ValueOf(value));
        }
    }
    if (source_style) {
        AppendAttribute(tag, u"style", ValueOf(*source_style));
    }
    tag += u'>';
    return tag;
}

// Whether the element that tag starts is one that the widget's loader adds to the head.
bool IsWidgetLoad(const MarkupTag& tag) {
    std::optional<std::u16string_view> address;
    if (tag.name == u"script") {
        address = tag.Attribute(u"src");
    } else if (tag.name == u"link") {
        address = tag.Attribute(u"href");
    }
    if (!address) {
        return false;
    }
    return std::any_of(kWidgetHosts.begin(), kWidgetHosts.end(), [&](std::u16string_view host) {
        const std::size_t at = address->find(host);
        return at != std::u16string_view::npos &&
               address->substr(0, at).find(u'/') == std::u16string_view::npos;
    });
}

// Cuts the first element of the widget container's id out of markup.
void CutContainer(std::u16string& markup) {
    MarkupTagScanner scanner(markup);
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->kind == MarkupTag::Kind::kStart && tag->Attribute(u"id") == kContainerId) {
            // A container that is not closed loses its start tag alone.
            const std::size_t end = ElementEnd(markup, *tag).value_or(tag->end);
            markup.erase(tag->begin, end - tag->begin);
            return;
        }
    }
}

// The next start or end tag of markup at or after from, if only blanks and comments come
// before it.
std::optional<MarkupTag> NextTagAfterBlanks(std::u16string_view markup, std::size_t from) {
    const std::size_t at = SkipBlanksAndComments(markup, from);
    if (at >= markup.size() || markup[at] != u'<') {
        return std::nullopt;
    }
    std::optional<MarkupTag> tag = MarkupTagScanner(markup, at).Next();
    if (tag && tag->begin != at) {
        return std::nullopt;
    }
    return tag;
}

// The start of each alternate link line that WithAlternateLinks writes.
constexpr std::u16string_view kAlternateLineStart = u"\n<link rel=\"alternate\" hreflang=\"";

// page_path as an address path: the bytes an address holds as they are pass, the others
// are percent-encoded.
std::string AddressPath(std::string_view page_path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    constexpr std::string_view kKept = "-._~/!$&'()*+,;=:@";
    std::string out;
    for (const char c : page_path) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsAsciiLetter(c) || IsAsciiDigit(c) || kKept.find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

// text with the characters that end or confuse an attribute value written as references.
std::u16string AttributeText(std::u16string_view text) {
    std::u16string out;
    for (const char16_t c : text) {
        switch (c) {
            case u'&':
                out += u"&amp;";
                break;
            case u'"':
                out += u"&quot;";
                break;
            case u'<':
                out += u"&lt;";
                break;
            case u'>':
                out += u"&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The position of the first end tag opening (such as "</head") in text from from on, in any
// case; npos when there is none.
std::size_t FindEndTag(std::u16string_view text, std::u16string_view opening,
                       std::size_t from = 0) {
    for (std::size_t at = text.find(u"</", from); at != std::u16string_view::npos;
         at = text.find(u"</", at + 2)) {
        if (EqualsIgnoringAsciiCase(text.substr(at, opening.size()), opening)) {
            return at;
        }
    }
    return std::u16string_view::npos;
}

std::size_t FindHeadEnd(std::u16string_view text) {
    return FindEndTag(text, u"</head");
}

}  // namespace

std::vector<AlternateVersion> AlternateVersionsOf(
    std::string_view base_url, std::string_view page_path,
    const std::vector<std::u16string>& language_codes) {
    while (!base_url.empty() && base_url.back() == '/') {
        base_url.remove_suffix(1);
    }
    const std::string path = AddressPath(page_path);
    std::vector<AlternateVersion> versions;
    versions.push_back({u"x-default", std::string(base_url) + "/" + path});
    for (const std::u16string& code : language_codes) {
        versions.push_back(
            {LanguageTagOf(code), std::string(base_url) + "/" + Utf16ToUtf8(code) + "/" + path});
    }
    return versions;
}

std::u16string WithAlternateLinks(std::u16string page,
                                  const std::vector<AlternateVersion>& versions) {
    if (FindHeadEnd(page) == std::u16string::npos) {
        return page;
    }
    for (std::size_t at = page.find(kAlternateLineStart); at != std::u16string::npos;
         at = page.find(kAlternateLineStart, at)) {
        const std::size_t end = page.find(u'>', at);
        if (end == std::u16string::npos) {
            break;
        }
        page.erase(at, end + 1 - at);
    }
    std::u16string lines;
    for (const AlternateVersion& version : versions) {
        lines += kAlternateLineStart;
        lines += AttributeText(version.hreflang);
        lines += u"\" href=\"";
        lines += AttributeText(Utf8ToUtf16(version.address));
        lines += u"\">";
    }
    page.insert(FindHeadEnd(page), lines);
    return page;
}

std::u16string LanguageTagOf(std::u16string_view language_code) {
    if (language_code == u"iw") {
        return u"he";
    }
    if (language_code == u"jw") {
        return u"jv";
    }
    return std::u16string(language_code);
}

bool IsRightToLeftLanguage(std::u16string_view language_code) {
    return std::find(kRightToLeftCodes.begin(), kRightToLeftCodes.end(), language_code) !=
           kRightToLeftCodes.end();
}

namespace {

std::u16string RebuildSitePage(std::u16string captured, std::u16string_view source_text,
                               std::u16string_view language_code);

// The page with the tags inside its first title element taken out, their text kept. A
// title holds text only: the browser serialises the elements a script put into it (the
// widget wraps translated texts in font elements), and a browser reading the page shows
// them as text in the title.
std::u16string WithPlainTitle(std::u16string page) {
    MarkupTagScanner scanner(page);
    std::optional<MarkupTag> title;
    while ((title = scanner.Next())) {
        if (title->kind == MarkupTag::Kind::kStart && title->name == u"title") {
            break;
        }
    }
    if (!title) {
        return page;
    }
    const std::size_t end = FindEndTag(page, u"</title", title->end);
    if (end == std::u16string::npos) {
        return page;
    }
    std::u16string text;
    bool in_tag = false;
    for (std::size_t at = title->end; at < end; ++at) {
        if (page[at] == u'<') {
            in_tag = true;
        } else if (page[at] == u'>' && in_tag) {
            in_tag = false;
        } else if (!in_tag) {
            text += page[at];
        }
    }
    page.replace(title->end, end - title->end, text);
    return page;
}

}  // namespace

std::u16string CleanSitePage(std::u16string captured, std::u16string_view source_text,
                             std::u16string_view language_code) {
    return WithPlainTitle(RebuildSitePage(std::move(captured), source_text, language_code));
}

namespace {

bool HeadHolds(std::u16string_view markup, const MarkupTag& head, std::size_t head_end,
               const SourceShape& source) {
    if (source.head.empty()) {
        return false;
    }
    MarkupTagScanner scanner(markup.substr(0, head_end), head.end);
    while (const std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->kind == MarkupTag::Kind::kStart && !IsWidgetLoad(*tag) &&
            ElementKey(*tag) == source.head.front()) {
            return true;
        }
    }
    return false;
}

std::u16string RebuildSitePage(std::u16string captured, std::u16string_view source_text,
                               std::u16string_view language_code) {
    const SourceShape source = ReadSourceShape(source_text);
    CutContainer(captured);
    const std::u16string_view markup = captured;

    std::u16string out;
    out.reserve(markup.size() + source_text.size() / 16 + 256);
    std::size_t done = 0;  // markup before it is dealt with
    if (source.doctype) {
        out += source_text.substr(source.doctype->begin, source.doctype->size());
    }
    if (const std::optional<Stretch> doctype = FindDoctype(markup)) {
        out += markup.substr(0, doctype->begin);
        done = doctype->end;
    }

    // The root element, the first one.
    MarkupTagScanner scanner(markup, done);
    std::optional<MarkupTag> root = scanner.Next();
    if (!root || root->kind != MarkupTag::Kind::kStart || root->name != u"html") {
        out += markup.substr(done);
        return out;
    }
    out += markup.substr(done, root->begin - done);
    out += RootStartTag(source.root, language_code);
    done = root->end;

    // The head and the body, where the markup has them.
    std::optional<MarkupTag> head = NextTagAfterBlanks(markup, root->end);
    std::optional<std::size_t> head_end;
    if (head && head->kind == MarkupTag::Kind::kStart && head->name == u"head") {
        head_end = ElementEnd(markup, *head);
    }
    if (!head_end) {
        out += markup.substr(done);
        return out;
    }
    const std::size_t head_close = markup.rfind(u'<', *head_end - 1);
    std::optional<MarkupTag> body = NextTagAfterBlanks(markup, *head_end);
    if (body && (body->kind != MarkupTag::Kind::kStart || body->name != u"body")) {
        body.reset();
    }

    // The source's head elements that lead the body: the stretch from the body's start
    // through the last of them, with its blanks and comments.
    std::size_t moved_end = 0;
    std::u16string_view between_head_and_body;
    if (body && !HeadHolds(markup, *head, *head_end, source)) {
        std::size_t next = 0;  // the first source element not found yet
        std::size_t at = body->end;
        while (next < source.head.size()) {
            const std::optional<MarkupTag> tag = NextTagAfterBlanks(markup, at);
            if (!tag || tag->kind != MarkupTag::Kind::kStart || !IsHeadElement(tag->name)) {
                break;
            }
            const ElementKey key(*tag);
            const auto found = std::find(source.head.begin() + next, source.head.end(), key);
            const std::optional<std::size_t> end = ElementEnd(markup, *tag);
            if (found == source.head.end() || !end) {
                break;
            }
            next = static_cast<std::size_t>(found - source.head.begin()) + 1;
            at = moved_end = *end;
        }
        if (moved_end != 0) {
            // The blanks that stood before "</head>" and before "<body" follow the last one.
            const std::u16string tail = ParsedLineBreaks(source.head_tail_blanks);
            if (markup.substr(moved_end).starts_with(tail)) {
                moved_end += tail.size();
            }
            const std::u16string between = ParsedLineBreaks(source.between_head_and_body);
            if (markup.substr(moved_end).starts_with(between)) {
                between_head_and_body = markup.substr(moved_end, between.size());
            }
        }
    }

    out += markup.substr(done, head->end - done);
    if (moved_end != 0) {
        out += markup.substr(body->end, moved_end - body->end);
    }
    // The head's own content without what the widget's loader added.
    std::size_t kept = head->end;
    MarkupTagScanner head_scanner(markup.substr(0, head_close), head->end);
    while (std::optional<MarkupTag> tag = head_scanner.Next()) {
        if (tag->kind != MarkupTag::Kind::kStart) {
            continue;
        }
        const std::optional<std::size_t> end = ElementEnd(markup.substr(0, head_close), *tag);
        if (!end) {
            break;
        }
        if (IsWidgetLoad(*tag)) {
            out += markup.substr(kept, tag->begin - kept);
            kept = *end;
        }
        head_scanner.MoveTo(*end);
    }
    out += markup.substr(kept, head_close - kept);
    if (!body) {
        out += markup.substr(head_close);
        return out;
    }
    const std::size_t head_close_end = markup.find(u'>', head_close) + 1;
    out += markup.substr(head_close, head_close_end - head_close);
    out += between_head_and_body;
    out += markup.substr(head_close_end, body->begin - head_close_end);
    if (const std::optional<std::u16string> body_tag = BodyStartTag(*body, source.body)) {
        out += *body_tag;
    } else {
        out += markup.substr(body->begin, body->end - body->begin);
    }
    const std::size_t body_rest =
        moved_end != 0 ? moved_end + between_head_and_body.size() : body->end;
    out += markup.substr(body_rest);
    return out;
}

}  // namespace

}  // namespace quillmoor

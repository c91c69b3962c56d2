#include "pipeline/markup_tags.h"

#include <algorithm>
#include <array>

#include "platform/ascii.h"

namespace quillmoor {
namespace {

// Elements whose content is text up to their own end tag, never tags.
constexpr std::array<std::u16string_view, 9> kRawTextElements = {
    u"script", u"style",   u"textarea", u"title",   u"xmp",
    u"iframe", u"noembed", u"noframes", u"noscript"};

// Elements that have no end tag.
constexpr std::array<std::u16string_view, 14> kVoidElements = {
    u"area",  u"base", u"br",   u"col",   u"embed",  u"hr",    u"img",
    u"input", u"link", u"meta", u"param", u"source", u"track", u"wbr"};

template <std::size_t N>
bool IsOneOf(std::u16string_view name, const std::array<std::u16string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The first "</name" at or after from (name in lower case, the markup's case ignored), or
// the end of the markup.
std::size_t FindEndTag(std::u16string_view markup, std::u16string_view name, std::size_t from) {
    for (std::size_t at = markup.find(u"</", from); at != std::u16string_view::npos;
         at = markup.find(u"</", at + 2)) {
        const std::u16string_view after = markup.substr(at + 2);
        if (after.size() >= name.size() &&
            EqualsIgnoringAsciiCase(after.substr(0, name.size()), name) &&
            (after.size() == name.size() || !IsAsciiLetter(after[name.size()]))) {
            return at;
        }
    }
    return markup.size();
}

// The end of a name that starts at position: the first blank, "/", ">" (or "=" in an
// attribute name).
std::size_t NameEnd(std::u16string_view markup, std::size_t position, bool stop_at_equals) {
    while (position < markup.size()) {
        const char16_t c = markup[position];
        if (IsAsciiSpace(c) || c == u'/' || c == u'>' || (stop_at_equals && c == u'=')) {
            break;
        }
        ++position;
    }
    return position;
}

std::size_t SkipBlanks(std::u16string_view markup, std::size_t position) {
    while (position < markup.size() && IsAsciiSpace(markup[position])) {
        ++position;
    }
    return position;
}

// Reads the attributes of a start tag from position (after its name) through its ">".
void ReadAttributes(std::u16string_view markup, std::size_t position, MarkupTag& tag) {
    for (;;) {
        position = SkipBlanks(markup, position);
        if (position >= markup.size()) {
            tag.end = markup.size();
            return;
        }
        const char16_t c = markup[position];
        if (c == u'>') {
            tag.end = position + 1;
            return;
        }
        if (c == u'/') {
            if (position + 1 < markup.size() && markup[position + 1] == u'>') {
                tag.closing = MarkupTag::Closing::kSelfClosing;
            }
            ++position;
            continue;
        }
        // A name may start with "=" (which then belongs to it).
        const std::size_t name_end = NameEnd(markup, position + 1, true);
        const std::u16string_view name = markup.substr(position, name_end - position);
        position = SkipBlanks(markup, name_end);
        std::u16string_view value;
        if (position < markup.size() && markup[position] == u'=') {
            position = SkipBlanks(markup, position + 1);
            if (position < markup.size() &&
                (markup[position] == u'"' || markup[position] == u'\'')) {
                const char16_t quote = markup[position];
                const std::size_t close = std::min(markup.find(quote, position + 1), markup.size());
                value = markup.substr(position + 1, close - position - 1);
                position = std::min(close + 1, markup.size());
            } else {
                const std::size_t value_end = NameEnd(markup, position, false);
                value = markup.substr(position, value_end - position);
                position = value_end;
            }
        }
        tag.attributes.emplace_back(name, value);
    }
}

}  // namespace

std::optional<std::u16string_view> MarkupTag::Attribute(std::u16string_view attribute_name) const {
    for (const auto& [name, value] : attributes) {
        if (EqualsIgnoringAsciiCase(name, attribute_name)) {
            return value;
        }
    }
    return std::nullopt;
}

bool MarkupTag::HasClass(std::u16string_view token) const {
    const std::optional<std::u16string_view> classes = Attribute(u"class");
    if (!classes) {
        return false;
    }
    const std::vector<std::u16string_view> names = ClassNames(*classes);
    return std::find(names.begin(), names.end(), token) != names.end();
}

MarkupTagScanner::MarkupTagScanner(std::u16string_view markup, std::size_t from)
    : markup_(markup), position_(from) {}

std::optional<MarkupTag> MarkupTagScanner::Next() {
    while (position_ < markup_.size()) {
        const std::size_t open = markup_.find(u'<', position_);
        if (open == std::u16string_view::npos) {
            position_ = markup_.size();
            return std::nullopt;
        }
        const std::u16string_view rest = markup_.substr(open);
        if (rest.starts_with(u"<!--")) {
            const std::size_t close = markup_.find(u"-->", open + 4);
            position_ = close == std::u16string_view::npos ? markup_.size() : close + 3;
            continue;
        }
        if (rest.starts_with(u"<!") || rest.starts_with(u"<?")) {
            const std::size_t close = markup_.find(u'>', open);
            position_ = close == std::u16string_view::npos ? markup_.size() : close + 1;
            continue;
        }
        MarkupTag tag;
        tag.begin = open;
        std::size_t name_start = open + 1;
        if (rest.starts_with(u"</")) {
            tag.kind = MarkupTag::Kind::kEnd;
            name_start = open + 2;
        }
        if (name_start >= markup_.size() || !IsAsciiLetter(markup_[name_start])) {
            position_ = open + 1;  // a "<" of the text
            continue;
        }
        const std::size_t name_end = NameEnd(markup_, name_start, false);
        tag.name = AsciiLowerCopy(markup_.substr(name_start, name_end - name_start));
        if (tag.kind == MarkupTag::Kind::kEnd) {
            const std::size_t close = markup_.find(u'>', name_end);
            tag.end = close == std::u16string_view::npos ? markup_.size() : close + 1;
            position_ = tag.end;
            return tag;
        }
        ReadAttributes(markup_, name_end, tag);
        position_ = tag.end;
        if (tag.closing == MarkupTag::Closing::kOpen && IsOneOf(tag.name, kRawTextElements)) {
            position_ = FindEndTag(markup_, tag.name, position_);
        }
        return tag;
    }
    return std::nullopt;
}

std::vector<std::u16string_view> ClassNames(std::u16string_view class_attribute) {
    std::vector<std::u16string_view> names;
    std::size_t position = 0;
    while (position < class_attribute.size()) {
        position = SkipBlanks(class_attribute, position);
        std::size_t end = position;
        while (end < class_attribute.size() && !IsAsciiSpace(class_attribute[end])) {
            ++end;
        }
        if (end > position) {
            names.push_back(class_attribute.substr(position, end - position));
        }
        position = end;
    }
    return names;
}

std::optional<std::size_t> ElementEnd(std::u16string_view markup, const MarkupTag& start) {
    if (start.closing == MarkupTag::Closing::kSelfClosing || IsOneOf(start.name, kVoidElements)) {
        return start.end;
    }
    MarkupTagScanner scanner(markup, start.end);
    int depth = 1;
    while (std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->name != start.name) {
            continue;
        }
        if (tag->kind == MarkupTag::Kind::kEnd) {
            if (--depth == 0) {
                return tag->end;
            }
        } else if (tag->closing == MarkupTag::Closing::kOpen) {
            ++depth;
        }
    }
    return std::nullopt;
}

}  // namespace quillmoor

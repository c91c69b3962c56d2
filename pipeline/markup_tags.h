// Finding the tags of serialised HTML markup, such as the browser hands back: start and end
// tags in document order, with comments, declarations and the text of raw-text elements
// (script, style, ...) passed over.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillmoor {

struct MarkupTag {
    enum class Kind { kStart, kEnd };
    enum class Closing { kOpen, kSelfClosing };  // a start tag written "<x/>" closes itself

    Kind kind = Kind::kStart;
    std::size_t begin = 0;  // the "<"
    std::size_t end = 0;    // just past the ">"
    std::u16string name;    // in lower case
    Closing closing = Closing::kOpen;
    // A start tag's attributes as written (names as written, values without their quotes).
    std::vector<std::pair<std::u16string_view, std::u16string_view>> attributes;

    // The value of the attribute of that name (ASCII case ignored), if the tag has it.
    std::optional<std::u16string_view> Attribute(std::u16string_view attribute_name) const;
    // Whether the tag's class attribute holds token as one of its blank-separated names.
    bool HasClass(std::u16string_view token) const;
};

// Walks the tags of markup, which must outlive it.
class MarkupTagScanner {
  public:
    explicit MarkupTagScanner(std::u16string_view markup, std::size_t from = 0);

    // The next start or end tag, or nothing at the end of the markup.
    std::optional<MarkupTag> Next();

    // Goes on from position (e.g. after an element that the caller passed over).
    void MoveTo(std::size_t position) { position_ = position; }

  private:
    std::u16string_view markup_;
    std::size_t position_;
};

// The blank-separated names of a class attribute.
std::vector<std::u16string_view> ClassNames(std::u16string_view class_attribute);

// Where the element that start opens ends: just past its matching end tag (nested
// elements of the same name counted), or start.end for a void or self-closing element.
// Nothing when the element is not closed in markup.
std::optional<std::size_t> ElementEnd(std::u16string_view markup, const MarkupTag& start);

}  // namespace quillmoor

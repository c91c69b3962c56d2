// A text with stretches cut out of it, cut in place once all cuts are known.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillmoor {

// Keeps the parts of a text that are not cut, so that several cuts cost one pass over the
// text in the end instead of one each. Positions and searches are in the text as it reads
// with the cuts made so far: a marker that a cut brings together is found, one that a cut
// took apart is not.
class TextWithCuts {
  public:
    // The text must stay where it is while this object is used.
    explicit TextWithCuts(std::u16string_view text);

    // The position of the first occurrence of marker at or after from, or npos.
    std::size_t Find(std::u16string_view marker, std::size_t from) const;

    // Cuts the stretch [start, end) out.
    void Cut(std::size_t start, std::size_t end);

    // Moves the kept parts of text, the string the object was made with, together.
    void ApplyTo(std::u16string& text) const;

  private:
    struct Part {
        std::size_t begin;  // in the original text
        std::size_t size;
    };

    // The text from position start, at most count units of it, copied together.
    std::u16string Copy(std::size_t start, std::size_t count) const;

    std::u16string_view text_;
    std::vector<Part> kept_;
};

}  // namespace quillmoor

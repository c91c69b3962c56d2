// A text with stretches cut out of it, moved together as it is searched.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillmoor {

// Cuts stretches out of a text at the cost of about one pass over it, however many cuts:
// the text is moved together in cache-sized chunks as the searches reach them, so that each
// chunk is moved once and searched while it is in the processor's cache. Positions and
// searches are in the text as it reads with the cuts made so far: a marker that a cut
// brings together is found, one that a cut took apart is not.
class TextWithCuts {
  public:
    // Works in text, which holds the result once Finish is called.
    explicit TextWithCuts(std::u16string& text);

    // The position of the first occurrence of marker at or after from, or npos.
    std::size_t Find(std::u16string_view marker, std::size_t from);

    // Cuts the stretch [start, end) out.
    void Cut(std::size_t start, std::size_t end);

    // Moves the rest of the text together.
    void Finish();

  private:
    struct Part {
        std::size_t begin;  // where it lies in the text
        std::size_t size;
    };

    // Moves the next chunk of the parts not yet in place to the end of those that are.
    void MoveNextChunk();

    std::u16string& text_;
    // The first in_place_ code units of text_ are the start of the text with its cuts.
    std::size_t in_place_ = 0;
    // The parts that follow, not yet moved, in order.
    std::vector<Part> rest_;
};

}  // namespace quillmoor

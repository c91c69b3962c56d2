#include "pipeline/text_with_cuts.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quillmoor {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;
// Code units moved at a time: a chunk stays in the processor's cache for its search.
constexpr std::size_t kChunkUnits = 64 * 1024;

// The first occurrence of marker in text at or after from, or npos. Markers are long and
// pages large, so the search skips ahead by up to the marker's length (Horspool's rule,
// with the skip table indexed by the low byte of a code unit).
std::size_t FindMarker(std::u16string_view text, std::u16string_view marker, std::size_t from) {
    const std::size_t length = marker.size();
    if (length < 4 || from > text.size()) {
        return text.find(marker, from);
    }
    std::array<std::size_t, 256> skip;
    skip.fill(length);
    for (std::size_t i = 0; i + 1 < length; ++i) {
        skip[marker[i] & 0xFF] = length - 1 - i;
    }
    const char16_t last = marker.back();
    const std::size_t compared = (length - 1) * sizeof(char16_t);
    for (std::size_t pos = from; pos + length <= text.size();) {
        const char16_t c = text[pos + length - 1];
        if (c == last && std::memcmp(text.data() + pos, marker.data(), compared) == 0) {
            return pos;
        }
        pos += skip[c & 0xFF];
    }
    return npos;
}

}  // namespace

TextWithCuts::TextWithCuts(std::u16string& text) : text_(text) {
    if (!text.empty()) {
        rest_.push_back({0, text.size()});
    }
}

std::size_t TextWithCuts::Find(std::u16string_view marker, std::size_t from) {
    if (marker.empty()) {
        std::size_t size = in_place_;
        for (const Part& part : rest_) {
            size += part.size;
        }
        return from <= size ? from : npos;
    }
    for (std::size_t search_from = from;;) {
        const std::size_t found =
            FindMarker(std::u16string_view(text_).substr(0, in_place_), marker, search_from);
        if (found != npos || rest_.empty()) {
            return found;
        }
        // An occurrence not found yet starts at most marker.size() - 1 units before what
        // comes in place next.
        search_from = std::max(from, in_place_ - std::min(in_place_, marker.size() - 1));
        MoveNextChunk();
    }
}

void TextWithCuts::Cut(std::size_t start, std::size_t end) {
    if (end <= in_place_) {
        std::memmove(text_.data() + start, text_.data() + end,
                     (in_place_ - end) * sizeof(char16_t));
        in_place_ -= end - start;
        return;
    }
    // The part of the stretch in place is dropped; the rest is cut from the parts to come,
    // which follow on at in_place_.
    std::vector<Part> rest;
    std::size_t part_start = in_place_;
    for (const Part& part : rest_) {
        const std::size_t part_end = part_start + part.size;
        if (part_end <= start || part_start >= end) {
            rest.push_back(part);
        } else {
            if (part_start < start) {
                rest.push_back({part.begin, start - part_start});
            }
            if (end < part_end) {
                rest.push_back({part.begin + (end - part_start), part_end - end});
            }
        }
        part_start = part_end;
    }
    rest_ = std::move(rest);
    in_place_ = std::min(in_place_, start);
}

void TextWithCuts::Finish() {
    while (!rest_.empty()) {
        MoveNextChunk();
    }
    text_.resize(in_place_);
}

void TextWithCuts::MoveNextChunk() {
    Part& part = rest_.front();
    const std::size_t count = std::min(part.size, kChunkUnits);
    if (part.begin != in_place_) {
        std::memmove(text_.data() + in_place_, text_.data() + part.begin, count * sizeof(char16_t));
    }
    in_place_ += count;
    part.begin += count;
    part.size -= count;
    if (part.size == 0) {
        rest_.erase(rest_.begin());
    }
}

}  // namespace quillmoor

#include "pipeline/text_with_cuts.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quillmoor {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

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

TextWithCuts::TextWithCuts(std::u16string_view text) : text_(text) {
    if (!text.empty()) {
        kept_.push_back({0, text.size()});
    }
}

std::size_t TextWithCuts::Find(std::u16string_view marker, std::size_t from) const {
    std::size_t partStart = 0;  // where the part starts in the text with its cuts
    for (std::size_t k = 0; k < kept_.size(); partStart += kept_[k].size, ++k) {
        const Part& part = kept_[k];
        if (partStart + part.size <= from) {
            continue;
        }
        const std::size_t local = from > partStart ? from - partStart : 0;
        const std::size_t inside = FindMarker(text_.substr(part.begin, part.size), marker, local);
        if (inside != npos) {
            return partStart + inside;
        }
        // An occurrence inside the part would come before any that starts in it and runs
        // on into the parts after it.
        if (k + 1 < kept_.size() && !marker.empty()) {
            const std::size_t reach = marker.size() - 1;
            const std::size_t first = std::max(local, part.size > reach ? part.size - reach : 0);
            const std::u16string around = Copy(partStart + first, part.size - first + reach);
            const std::size_t across = around.find(marker);
            if (across != npos && first + across < part.size) {
                return partStart + first + across;
            }
        }
    }
    return marker.empty() && from <= partStart ? from : npos;
}

void TextWithCuts::Cut(std::size_t start, std::size_t end) {
    std::vector<Part> kept;
    std::size_t partStart = 0;
    for (const Part& part : kept_) {
        const std::size_t partEnd = partStart + part.size;
        if (partEnd <= start || partStart >= end) {
            kept.push_back(part);
        } else {
            if (partStart < start) {
                kept.push_back({part.begin, start - partStart});
            }
            if (end < partEnd) {
                kept.push_back({part.begin + (end - partStart), partEnd - end});
            }
        }
        partStart = partEnd;
    }
    kept_ = std::move(kept);
}

void TextWithCuts::ApplyTo(std::u16string& text) const {
    std::size_t size = 0;
    for (const Part& part : kept_) {
        if (part.begin != size) {
            std::memmove(text.data() + size, text.data() + part.begin,
                         part.size * sizeof(char16_t));
        }
        size += part.size;
    }
    text.resize(size);
}

std::u16string TextWithCuts::Copy(std::size_t start, std::size_t count) const {
    std::u16string copy;
    std::size_t partStart = 0;
    for (const Part& part : kept_) {
        if (copy.size() == count) {
            break;
        }
        const std::size_t partEnd = partStart + part.size;
        if (partEnd > start) {
            const std::size_t from = std::max(start, partStart) - partStart;
            copy +=
                text_.substr(part.begin + from, std::min(part.size - from, count - copy.size()));
        }
        partStart = partEnd;
    }
    return copy;
}

}  // namespace quillmoor

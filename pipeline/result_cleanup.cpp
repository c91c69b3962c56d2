#include "pipeline/result_cleanup.h"

#include <array>
#include <cstring>

#include "pipeline/widget_snippet.h"

namespace quillmoor {
namespace {

// The first occurrence of marker in text at or after from, or npos. Markers are long and
// pages large, so the search skips ahead by up to the marker's length (Horspool's rule,
// with the skip table indexed by the low byte of a code unit).
size_t FindMarker(std::u16string_view text, std::u16string_view marker, size_t from) {
    const size_t length = marker.size();
    if (length < 4 || from > text.size()) {
        return text.find(marker, from);
    }
    std::array<size_t, 256> skip;
    skip.fill(length);
    for (size_t i = 0; i + 1 < length; ++i) {
        skip[marker[i] & 0xFF] = length - 1 - i;
    }
    const char16_t last = marker.back();
    const size_t compared = (length - 1) * sizeof(char16_t);
    for (size_t pos = from; pos + length <= text.size();) {
        const char16_t c = text[pos + length - 1];
        if (c == last && std::memcmp(text.data() + pos, marker.data(), compared) == 0) {
            return pos;
        }
        pos += skip[c & 0xFF];
    }
    return std::u16string_view::npos;
}

}  // namespace

std::u16string CutBetweenMarkers(std::u16string text, std::u16string_view startMarker,
                                 std::u16string_view endMarker) {
    const size_t start = FindMarker(text, startMarker, 0);
    if (start == std::u16string::npos) {
        return text;
    }
    const size_t end = FindMarker(text, endMarker, start + startMarker.size());
    if (end == std::u16string::npos) {
        return text;
    }
    text.erase(start, end + endMarker.size() - start);
    return text;
}

std::u16string StripWidgetRemnants(std::u16string markup) {
    for (const MarkerPair& trace : kWidgetTraceMarkers) {
        markup = CutBetweenMarkers(std::move(markup), trace.start, trace.end);
    }
    return markup;
}

}  // namespace quillmoor

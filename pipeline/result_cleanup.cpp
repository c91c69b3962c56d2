#include "pipeline/result_cleanup.h"

#include "pipeline/widget_snippet.h"

namespace quillmoor {

std::u16string CutBetweenMarkers(std::u16string text, std::u16string_view startMarker,
                                 std::u16string_view endMarker) {
    const size_t start = text.find(startMarker);
    if (start == std::u16string::npos) {
        return text;
    }
    const size_t end = text.find(endMarker, start + startMarker.size());
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

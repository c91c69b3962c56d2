#include "pipeline/result_cleanup.h"

#include "pipeline/text_with_cuts.h"
#include "pipeline/widget_snippet.h"

namespace quillmoor {
namespace {

// Cuts the first stretch from start_marker through the first end_marker after it.
void CutFirstStretch(TextWithCuts& text, std::u16string_view start_marker,
                     std::u16string_view end_marker) {
    const size_t start = text.Find(start_marker, 0);
    if (start == std::u16string::npos) {
        return;
    }
    const size_t end = text.Find(end_marker, start + start_marker.size());
    if (end == std::u16string::npos) {
        return;
    }
    text.Cut(start, end + end_marker.size());
}

}  // namespace

std::u16string CutBetweenMarkers(std::u16string text, std::u16string_view start_marker,
                                 std::u16string_view end_marker) {
    TextWithCuts cuts(text);
    CutFirstStretch(cuts, start_marker, end_marker);
    cuts.Finish();
    return text;
}

std::u16string StripWidgetRemnants(std::u16string markup) {
    // Each trace is cut from the markup as the cuts before it left it; the markup is moved
    // together about once.
    TextWithCuts cuts(markup);
    for (const MarkerPair& trace : kWidgetTraceMarkers) {
        CutFirstStretch(cuts, trace.start, trace.end);
    }
    cuts.Finish();
    return markup;
}

}  // namespace quillmoor

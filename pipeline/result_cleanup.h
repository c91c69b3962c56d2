// Cutting the translation widget's traces out of a translated page.
#pragma once

#include <string>
#include <string_view>

namespace quillmoor {

// text without its first stretch from start_marker through the first end_marker after it
// (exact, case-sensitive matches). Unchanged when either marker is missing. Works in
// place on the text it is given.
std::u16string CutBetweenMarkers(std::u16string text, std::u16string_view start_marker,
                                 std::u16string_view end_marker);

// markup with the three widget traces cut out, one stretch each, in their fixed order.
// The widget's container element stays.
std::u16string StripWidgetRemnants(std::u16string markup);

}  // namespace quillmoor

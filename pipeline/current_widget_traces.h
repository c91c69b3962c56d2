// The traces that the translation widget as it is served today leaves in a translated page,
// found as whole elements, the widget's language menu, and the mark the widget puts on a page
// it has translated.
#pragma once

#include <string>
#include <string_view>

namespace quillmoor {

// The class names of the widget's elements.
inline constexpr std::u16string_view kWidgetSkipClass = u"skiptranslate";
inline constexpr std::u16string_view kCurrentBannerFrameClass = u"VIpgJd-ZVi9od-ORHb-OEVmcd";
inline constexpr std::u16string_view kCurrentMenuFrameClass = u"VIpgJd-ZVi9od-xl07Ob-OEVmcd";
inline constexpr std::u16string_view kCurrentTooltipClass = u"VIpgJd-yAWNEb-L7lbkb";
inline constexpr std::u16string_view kTooltipBlockId = u"goog-gt-tt";

// markup without the widget's current traces, each cut out as a whole element with all it
// holds, however deeply nested:
//  - the tooltip block, a div with the id goog-gt-tt and the classes skiptranslate and the
//    widget's tooltip class (the earlier widget's block, of the class skiptranslate alone,
//    is cut by its markers);
//  - the banner frame and the menu frame, iframes of the class skiptranslate and the
//    widget's banner or menu class;
//  - the div of the class skiptranslate alone that holds nothing but the banner frame.
// Everything else stays byte for byte: among it the page's own elements that carry
// skiptranslate or notranslate and the widget's container element. An element that is
// not closed in the markup stays. Works in place on the text it is given.
std::u16string StripCurrentWidgetTraces(std::u16string markup);

// Whether markup holds the widget's language menu frame, ready for the language to be
// picked: an iframe of the earlier widget's class "goog-te-menu-frame skiptranslate" (the
// whole attribute, as the pick script compares it) or one of the classes skiptranslate and
// the current widget's menu class. The widget writes the frame with its entries.
bool HoldsLanguageMenu(std::u16string_view markup);

// Whether the widget marked markup as translated: its root element (the first element,
// html) carries the class translated-ltr or translated-rtl.
bool CarriesTranslationMark(std::u16string_view markup);

}  // namespace quillmoor

// What the program writes into a page to bring in the web translation widget, and the
// traces of the widget that it cuts out of a translated page.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quillmoor {

// The widget's loader; it calls googleTranslateElementInit back once loaded.
inline constexpr std::u16string_view kWidgetLoaderAddress =
    u"https://translate.google.com/translate_a/element.js?cb=googleTranslateElementInit";

// The beginning of every snippet, up to the language code: the widget's container and the
// start of the script that configures the widget. A file holding it was written by this
// program.
inline constexpr std::u16string_view kWidgetSnippetOpening =
    u"<div id=\"google_translate_element\" style=\"position:absolute;bottom:10px;right:10px;"
    u"z-index:2000;opacity:0.7\"></div><script>function googleTranslateElementInit() { "
    u"new google.translate.TranslateElement( \t{               \t\t\tincludedLanguages: '";

// One line of HTML (tabs, no line break) that shows the widget with the one language
// language_code in its menu: the container, the configuring script and the loader.
std::u16string WidgetSnippet(std::u16string_view language_code);

// A stretch of text from the first start marker to the first end marker after it.
struct MarkerPair {
    std::u16string_view start;
    std::u16string_view end;
};

// The traces of the widget in a translated page, in the order in which they are cut out:
// the banner frame, the two script elements of the snippet, the tooltip block.
inline constexpr std::array<MarkerPair, 3> kWidgetTraceMarkers = {{
    {u"<iframe id=\":2.container\" class=\"goog-te-banner-frame skiptranslate",
     u"style=\"visibility:visible\"></iframe>"},
    {u"<script>function googleTranslateElementInit() { new google.translate.TranslateElement",
     u"element.js?cb=googleTranslateElementInit\"></script>"},
    {u"<div id=\"goog-gt-tt\" class=\"skiptranslate\" dir=\"ltr\"><div style=\"padding",
     u"style=\"visibility: visible; box-sizing: content-box; width: 135px; height: 69px; "
     u"display: none;\"></iframe>"},
}};

}  // namespace quillmoor

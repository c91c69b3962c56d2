#include "pipeline/result_cleanup.h"

#include <gtest/gtest.h>

#include "pipeline/widget_snippet.h"

namespace quillmoor {
namespace {

TEST(CutBetweenMarkers, RemovesOneMarkedStretch) {
    const struct {
        const char* name;
        std::u16string text;
        std::u16string start;
        std::u16string end;
        std::u16string result;
    } cases[] = {
        {"one stretch", u"a[[x]]b", u"[[", u"]]", u"ab"},
        {"only the first of two", u"a[[x]]b[[y]]c", u"[[", u"]]", u"ab[[y]]c"},
        {"to the first end after the start", u"a[[x]]y]]b", u"[[", u"]]", u"ay]]b"},
        {"end right after start", u"a[[]]b", u"[[", u"]]", u"ab"},
        {"the whole text", u"[[x]]", u"[[", u"]]", u""},
        {"no start marker", u"a x]]b", u"[[", u"]]", u"a x]]b"},
        {"no end marker", u"a[[xb", u"[[", u"]]", u"a[[xb"},
        {"end only before the start", u"]]a[[b", u"[[", u"]]", u"]]a[[b"},
        {"end overlapping the start does not count", u"<a>", u"<a", u"a>", u"<a>"},
        {"case matters", u"a<B>x</b>", u"<b>", u"</b>", u"a<B>x</b>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CutBetweenMarkers(c.text, c.start, c.end), c.result);
    }
}

// The widget's traces as they show in a translated page.
const std::u16string kBanner =
    u"<iframe id=\":2.container\" class=\"goog-te-banner-frame skiptranslate\" frameborder=\"0\" "
    u"src=\"javascript:''\" style=\"visibility:visible\"></iframe>";
const std::u16string kTooltip =
    u"<div id=\"goog-gt-tt\" class=\"skiptranslate\" dir=\"ltr\"><div style=\"padding: 8px;\">"
    u"<h1 class=\"title gray\">Original text</h1></div></div><iframe class=\"goog-te-balloon-frame "
    u"skiptranslate\" style=\"visibility: visible; box-sizing: content-box; width: 135px; height: "
    u"69px; display: none;\"></iframe>";
const std::u16string kContainer =
    u"<div id=\"google_translate_element\" style=\"position:absolute;bottom:10px;right:10px;"
    u"z-index:2000;opacity:0.7\"></div>";

TEST(StripWidgetRemnants, CutsTheThreeTracesAndKeepsTheContainer) {
    const std::u16string markup = u"<html>" + WidgetSnippet(u"ja") + u"<head></head><body>" +
                                  kBanner + u"<p>\u3053\u3093</p>" + kTooltip + u"</body></html>";
    EXPECT_EQ(StripWidgetRemnants(markup),
              u"<html>" + kContainer + u"<head></head><body><p>\u3053\u3093</p></body></html>");
}

TEST(StripWidgetRemnants, EachTraceIsCutOnceAndIncompleteOnesStay) {
    const std::u16string kTooltipStart(kWidgetTraceMarkers[2].start);
    const std::u16string kTooltipEnd(kWidgetTraceMarkers[2].end);
    const struct {
        const char* name;
        std::u16string markup;
        std::u16string result;
    } cases[] = {
        {"banner twice", kBanner + u"a" + kBanner + u"b", u"a" + kBanner + u"b"},
        {"banner without its end, later traces still cut",
         u"<iframe id=\":2.container\" class=\"goog-te-banner-frame skiptranslate\">x" + kTooltip,
         u"<iframe id=\":2.container\" class=\"goog-te-banner-frame skiptranslate\">x"},
        {"tooltip end only before its start", kTooltipEnd + u"x" + kTooltipStart,
         kTooltipEnd + u"x" + kTooltipStart},
        {"no traces", u"<html><body>plain</body></html>", u"<html><body>plain</body></html>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StripWidgetRemnants(c.markup), c.result);
    }
}

}  // namespace
}  // namespace quillmoor

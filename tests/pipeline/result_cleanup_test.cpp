#include "pipeline/result_cleanup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

namespace quillmoor {
namespace {

// The three traces cut one after the other, each from the markup as the cut before left
// it, by plain searching and erasing.
std::u16string CutOneAfterTheOther(std::u16string markup) {
    for (const MarkerPair& trace : kWidgetTraceMarkers) {
        const size_t start = markup.find(trace.start);
        if (start == std::u16string::npos) {
            continue;
        }
        const size_t end = markup.find(trace.end, start + trace.start.size());
        if (end != std::u16string::npos) {
            markup.erase(start, end + trace.end.size() - start);
        }
    }
    return markup;
}

// The markers cut in two, so that a cut between the halves brings a marker together.
std::u16string FirstHalf(std::u16string_view marker) {
    return std::u16string(marker.substr(0, marker.size() / 2));
}
std::u16string SecondHalf(std::u16string_view marker) {
    return std::u16string(marker.substr(marker.size() / 2));
}

TEST(StripWidgetRemnants, CutsAsThreeCutsOneAfterTheOtherWould) {
    const MarkerPair& banner = kWidgetTraceMarkers[0];
    const MarkerPair& scripts = kWidgetTraceMarkers[1];
    const MarkerPair& tooltip = kWidgetTraceMarkers[2];
    const std::u16string banner_trace =
        std::u16string(banner.start) + u" x " + std::u16string(banner.end);
    const std::u16string scripts_trace =
        std::u16string(scripts.start) + u" y " + std::u16string(scripts.end);
    const std::u16string tooltip_trace =
        std::u16string(tooltip.start) + u" z " + std::u16string(tooltip.end);
    const struct {
        const char* name;
        std::u16string markup;
    } cases[] = {
        {"in page order",
         u"<head>" + scripts_trace + u"</head>" + banner_trace + u"p" + tooltip_trace},
        {"tooltip before banner", tooltip_trace + u"p" + banner_trace},
        {"scripts inside the banner's stretch",
         std::u16string(banner.start) + scripts_trace + std::u16string(banner.end) + u"q"},
        {"banner inside the scripts' stretch",
         std::u16string(scripts.start) + banner_trace + std::u16string(scripts.end)},
        {"a start brought together by an earlier cut", FirstHalf(scripts.start) + banner_trace +
                                                           SecondHalf(scripts.start) + u"y" +
                                                           std::u16string(scripts.end) + u"after"},
        {"an end brought together by an earlier cut", std::u16string(tooltip.start) + u"z" +
                                                          FirstHalf(tooltip.end) + banner_trace +
                                                          SecondHalf(tooltip.end) + u"after"},
        {"a start brought together across two cuts", FirstHalf(tooltip.start) + banner_trace +
                                                         scripts_trace + SecondHalf(tooltip.start) +
                                                         std::u16string(tooltip.end)},
        {"the only end taken by an earlier cut",
         std::u16string(tooltip.start) + std::u16string(banner.start) +
             std::u16string(tooltip.end) + std::u16string(banner.end)},
        {"a start taken apart by an earlier cut",
         FirstHalf(tooltip.start) + std::u16string(banner.start) + SecondHalf(tooltip.start) +
             std::u16string(banner.end) + std::u16string(tooltip.end)},
        {"each trace twice", banner_trace + scripts_trace + tooltip_trace + banner_trace +
                                 scripts_trace + tooltip_trace},
        {"starts without ends", std::u16string(banner.start) + std::u16string(scripts.start)},
        {"nothing", u"<html></html>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StripWidgetRemnants(c.markup), CutOneAfterTheOther(c.markup));
    }
    // Markers across the border of the first chunk (64 Ki code units) in which long markup
    // is moved together, met by the search that first reads that far: the banner's start
    // in markup without traces before it, and behind the scripts and the banner where they
    // usually are, the tooltip's start and its end.
    const std::u16string early = scripts_trace + banner_trace;
    const struct {
        std::u16string head;
        std::u16string_view across;
        std::u16string tail;
    } borders[] = {
        {u"", banner.start, u" x " + std::u16string(banner.end) + u"a"},
        {early, tooltip.start, u" z " + std::u16string(tooltip.end) + u"b"},
        {early + std::u16string(tooltip.start), tooltip.end, u"c"},
    };
    for (const auto& border : borders) {
        for (const size_t before : {size_t{1}, size_t{10}, border.across.size() - 1}) {
            SCOPED_TRACE(before);
            const std::u16string markup =
                border.head + std::u16string(65536 - before - border.head.size(), u'x') +
                std::u16string(border.across) + border.tail;
            const std::u16string stripped = StripWidgetRemnants(markup);
            EXPECT_TRUE(stripped == CutOneAfterTheOther(markup));
            EXPECT_EQ(stripped.find(border.across), std::u16string::npos);
        }
    }
}

TEST(StripWidgetRemnants, CutsAsThreeCutsOneAfterTheOtherWouldInAnyMixOfPieces) {
    // Markers, their halves and short texts in every order: cuts that bring markers
    // together, take them apart, overlap and nest.
    std::vector<std::u16string> pieces = {u"<", u"x", u"\u00E9"};
    for (const MarkerPair& trace : kWidgetTraceMarkers) {
        for (const std::u16string_view marker : {trace.start, trace.end}) {
            pieces.emplace_back(marker);
            pieces.push_back(FirstHalf(marker));
            pieces.push_back(SecondHalf(marker));
        }
    }
    unsigned seed = 5;
    const auto check = [&](int rounds) {
        for (int round = 0; round < rounds; ++round) {
            std::u16string markup;
            for (int i = 0; i < 12; ++i) {
                seed = seed * 1103515245 + 12345;
                markup += pieces[(seed >> 16) % pieces.size()];
            }
            ASSERT_TRUE(StripWidgetRemnants(markup) == CutOneAfterTheOther(markup)) << round;
        }
    };
    check(3000);
    // Long stretches of text between them: the markup is moved together in chunks, and
    // markers fall across the chunks' borders.
    for (const size_t length : {size_t{20000}, size_t{65535}, size_t{65536 - 40}}) {
        pieces.push_back(std::u16string(length, u'x'));
    }
    check(400);
}

}  // namespace
}  // namespace quillmoor

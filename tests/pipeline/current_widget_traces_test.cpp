#include "pipeline/current_widget_traces.h"

#include <gtest/gtest.h>

#include <string>

#include "pipeline/result_cleanup.h"
#include "pipeline/widget_snippet.h"
#include "platform/utf.h"
#include "tests/support/example.h"

namespace quillmoor {
namespace {

using test_support::Example;

// A text as the widget leaves it translated: in two font elements.
std::u16string Translated(const std::u16string& text) {
    const std::u16string font = uR"(<font style="vertical-align: inherit;">)";
    return font + font + text + u"</font></font>";
}

// A page as the widget served today leaves it after translating it into German: the root
// mark, font wrappers around the translated texts (they are the translation and stay),
// the banner frame in its skiptranslate div at the top of the body, the tooltip block with
// nested blocks, buttons and the voting form, and the menu frame at the end.
const std::u16string kContainer =
    uR"(<div id="google_translate_element" style="position:absolute;bottom:10px;right:10px;)"
    uR"(z-index:2000;opacity:0.7"><div class="skiptranslate goog-te-gadget" dir="ltr">)"
    uR"(<div id=":0.targetLanguage"></div></div></div>)";
const std::u16string kBannerWrapper =
    uR"(<div class="skiptranslate" style=""><iframe id=":1.container" )"
    uR"(class="VIpgJd-ZVi9od-ORHb-OEVmcd skiptranslate" title="Google Translate" )"
    uR"(frameborder="0" style="visibility:visible"></iframe></div>)";
const std::u16string kTooltip =
    uR"(<div id="goog-gt-tt" class="VIpgJd-yAWNEb-L7lbkb skiptranslate" style="" data-id="">)"
    uR"(<div id="goog-gt-vt" class="VIpgJd-yAWNEb-hvhgNd"><div )"
    uR"(class="VIpgJd-yAWNEb-hvhgNd-l4eHX-i3jM2d"><img src="https://example.invalid/g.png" )"
    uR"(width="20" height="20" alt="Google Translate"></div><div )"
    uR"(class="VIpgJd-yAWNEb-hvhgNd-k77Iif-i3jM2d"><div class="VIpgJd-yAWNEb-hvhgNd-IuizWc" )"
    uR"(dir="ltr">Original text</div></div><div class="VIpgJd-yAWNEb-hvhgNd-axAV1"><div )"
    uR"(class="VIpgJd-yAWNEb-hvhgNd-N7Eqid ltr"><div class="VIpgJd-yAWNEb-hvhgNd-sM5MNb"><span )"
    uR"(class="VIpgJd-yAWNEb-hvhgNd-bgm6sf">Rate this translation</span><button )"
    uR"(class="VIpgJd-yAWNEb-hvhgNd-THI6Vb" title="Good"></button><button )"
    uR"(class="VIpgJd-yAWNEb-hvhgNd-N7Eqid-B7I4Od" title="Poor"></button></div></div><div )"
    uR"(id="goog-gt-votingHiddenPane" class="VIpgJd-yAWNEb-hvhgNd-aXYTce"><form )"
    uR"(id="goog-gt-votingForm" action="//translate.googleapis.com/translate_voting?client=te" )"
    uR"(method="post" target="votingFrame" class="VIpgJd-yAWNEb-hvhgNd-aXYTce">)"
    uR"(<input type="text" name="sl" id="goog-gt-votingInputSrcLang">)"
    uR"(<input type="text" name="tl" id="goog-gt-votingInputTrgLang">)"
    uR"(<input type="text" name="query" id="goog-gt-votingInputSrcText">)"
    uR"(<input type="text" name="gtrans" id="goog-gt-votingInputTrgText">)"
    uR"(<input type="text" name="vote" id="goog-gt-votingInputVote"></form>)"
    uR"(<iframe name="votingFrame" frameborder="0"></iframe></div></div></div></div>)";
const std::u16string kMenuFrame =
    uR"(<iframe class="VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate" title="Language Translate )"
    uR"(Widget" style="visibility: visible; box-sizing: content-box; width: 135px; height: )"
    uR"(69px; display: none;"></iframe>)";

// The page's own markup around the traces, with its own skiptranslate and notranslate
// content: none of it may change.
const std::u16string kOwnStart =
    uR"(<!DOCTYPE html><html lang="en" class="translated-ltr"><head><title>)" +
    Translated(u"Seite") + u"</title></head><body>";
const std::u16string kOwnMiddle = u"<h1>" + Translated(u"Hallo Welt") + u"</h1>\r\n" +
                                  uR"(<div class="skiptranslate">Brand name</div>)"
                                  uR"(<span class="notranslate">Quillmoor</span>)"
                                  uR"(<div class="skiptranslate"><iframe class="skiptranslate" )"
                                  uR"(src="map.html"></iframe></div>)";
const std::u16string kOwnEnd = u"<p>Ende</p></body></html>";

TEST(StripCurrentWidgetTraces, CutsEveryTraceAsAWholeElementAndKeepsThePageByteForByte) {
    const std::u16string markup =
        kOwnStart + kBannerWrapper + kOwnMiddle + kContainer + kTooltip + kOwnEnd + kMenuFrame;
    EXPECT_EQ(StripCurrentWidgetTraces(markup), kOwnStart + kOwnMiddle + kContainer + kOwnEnd);
}

TEST(StripCurrentWidgetTraces, APageThatUsesSkiptranslateAndNotranslateItselfStaysByteForByte) {
    const std::u16string cases[] = {
        kOwnStart + kOwnMiddle + kContainer + kOwnEnd,
        // Its own tooltip-like block without the widget's class, and a frame of its own in a
        // skiptranslate div.
        u"<html><body><div id=\"goog-gt-tt\" class=\"skiptranslate\">own</div>"
        u"<div class=\"skiptranslate\">\n<iframe class=\"skiptranslate\"></iframe>\n</div>"
        u"<div class=\"notranslate skiptranslate\"><p>keep</p></div></body></html>",
        // Markup that only looks like traces: in a script, a comment, an attribute value.
        u"<html><body><script>var s = '" + kBannerWrapper + u"';</script><!-- " + kMenuFrame +
            u" --><a title='<div id=\"goog-gt-tt\" class=\"VIpgJd-yAWNEb-L7lbkb "
            u"skiptranslate\">'>x</a></body></html>",
    };
    for (const std::u16string& page : cases) {
        EXPECT_EQ(StripCurrentWidgetTraces(page), page);
        EXPECT_EQ(StripWidgetRemnants(page), page);
    }
}

TEST(StripCurrentWidgetTraces, NestingAndOddPlacesAreHandled) {
    const Example<std::u16string, std::u16string> cases[] = {
        {"a tooltip whose nested blocks hold end tags in scripts, comments and attributes",
         u"<p>a</p><div id=\"goog-gt-tt\" class=\"VIpgJd-yAWNEb-L7lbkb skiptranslate\"><div "
         u"title=\"</div>\"><script>document.write('</div>')</script><!-- </div> --><div><div>"
         u"</div></div></div></div><p>b</p>",
         u"<p>a</p><p>b</p>"},
        {"upper-case tags and single-quoted attributes",
         u"<P>a</P><DIV ID='goog-gt-tt' CLASS='skiptranslate VIpgJd-yAWNEb-L7lbkb'><Div>x</dIV>"
         u"</DIV><P>b</P>",
         u"<P>a</P><P>b</P>"},
        {"the banner wrapper with blanks and line breaks around the frame",
         u"<body>\n<div class=\"skiptranslate\">\n  <iframe class=\"skiptranslate "
         u"VIpgJd-ZVi9od-ORHb-OEVmcd\"></iframe>\n</div>\n<p>a</p>",
         u"<body>\n\n<p>a</p>"},
        {"a banner frame in a div that holds more keeps the div",
         u"<div class=\"skiptranslate\"><iframe class=\"VIpgJd-ZVi9od-ORHb-OEVmcd "
         u"skiptranslate\"></iframe><p>own</p></div>",
         u"<div class=\"skiptranslate\"><p>own</p></div>"},
        {"a banner frame in a div of more classes keeps the div",
         u"<div class=\"skiptranslate own\"><iframe class=\"VIpgJd-ZVi9od-ORHb-OEVmcd "
         u"skiptranslate\"></iframe></div>",
         u"<div class=\"skiptranslate own\"></div>"},
        {"traces inside the page's own skiptranslate block",
         u"<div class=\"skiptranslate\"><b>own</b>" + kMenuFrame + kTooltip + u"</div>",
         u"<div class=\"skiptranslate\"><b>own</b></div>"},
        {"every trace twice",
         kBannerWrapper + kTooltip + u"<p>a</p>" + kTooltip + kMenuFrame + kBannerWrapper +
             kMenuFrame,
         u"<p>a</p>"},
        {"a tooltip that is not closed stays",
         u"<div id=\"goog-gt-tt\" class=\"VIpgJd-yAWNEb-L7lbkb skiptranslate\"><div></div>",
         u"<div id=\"goog-gt-tt\" class=\"VIpgJd-yAWNEb-L7lbkb skiptranslate\"><div></div>"},
        {"a frame of the widget's class without skiptranslate stays",
         u"<iframe class=\"VIpgJd-ZVi9od-xl07Ob-OEVmcd\"></iframe>",
         u"<iframe class=\"VIpgJd-ZVi9od-xl07Ob-OEVmcd\"></iframe>"},
        {"a class name that only contains the widget's class stays",
         u"<iframe class=\"xVIpgJd-ZVi9od-ORHb-OEVmcd skiptranslate\"></iframe>",
         u"<iframe class=\"xVIpgJd-ZVi9od-ORHb-OEVmcd skiptranslate\"></iframe>"},
        {"a trace that ends the markup", u"<p>a</p>" + kMenuFrame, u"<p>a</p>"},
        {"nothing but a trace", kTooltip, u""},
        {"empty", u"", u""},
        {"a lone < and an unfinished tag", u"a < b <iframe class=\"", u"a < b <iframe class=\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StripCurrentWidgetTraces(c.input), c.expected);
    }
}

TEST(StripWidgetRemnants, CleansPagesOfBothWidgetGenerations) {
    // The earlier widget: its three traces go by their markers, its menu frame stays (as it
    // always did), and nothing of the current widget's rules touches the rest.
    const std::u16string first_banner =
        u"<iframe id=\":2.container\" class=\"goog-te-banner-frame skiptranslate\" "
        u"frameborder=\"0\" style=\"visibility:visible\"></iframe>";
    const std::u16string first_tooltip =
        u"<div id=\"goog-gt-tt\" class=\"skiptranslate\" dir=\"ltr\"><div style=\"padding: "
        u"8px;\"><div><div class=\"logo\"></div></div></div></div><iframe "
        u"class=\"skiptranslate\" style=\"visibility: visible; box-sizing: content-box; width: "
        u"135px; height: 69px; display: none;\"></iframe>";
    const std::u16string first_menu =
        u"<iframe class=\"goog-te-menu-frame skiptranslate\" title=\"Language Translate "
        u"Widget\"></iframe>";
    const std::u16string snippet = WidgetSnippet(u"de");
    const std::u16string snippet_container =
        snippet.substr(0, snippet.find(u"<script>function googleTranslateElementInit"));
    EXPECT_EQ(StripWidgetRemnants(kOwnStart + u"<div class=\"skiptranslate\">" + first_banner +
                                  u"</div>" + kOwnMiddle + snippet + first_tooltip + first_menu +
                                  kOwnEnd),
              kOwnStart + u"<div class=\"skiptranslate\"></div>" + kOwnMiddle + snippet_container +
                  first_menu + kOwnEnd);

    // The current widget: the snippet's scripts by their markers, the rest as elements.
    EXPECT_EQ(StripWidgetRemnants(kOwnStart + kBannerWrapper + kOwnMiddle + snippet + kTooltip +
                                  kOwnEnd + kMenuFrame),
              kOwnStart + kOwnMiddle + snippet_container + kOwnEnd);
}

TEST(CarriesTranslationMark, OnlyTheRootElementsClassCounts) {
    const Example<std::u16string, bool> cases[] = {
        {"left to right", u"<html class=\"translated-ltr\"><body></body></html>", true},
        {"right to left among other classes, upper case, after a doctype and a comment",
         u"<!DOCTYPE html>\n<!-- saved --><HTML lang=\"ar\" CLASS=\"js translated-rtl\">", true},
        {"between a tab and a line break", u"<html class=\"x\ttranslated-ltr\n\">", true},
        {"on the body", u"<html><body class=\"translated-ltr\"></body></html>", false},
        {"a longer class and a shorter one",
         u"<html class=\"translated-ltrx translated\"><body></body></html>", false},
        {"in another attribute", u"<html data-class=\"translated-ltr\"><body></body></html>",
         false},
        {"no root element", u"<body class=\"translated-ltr\"></body>", false},
        {"in a comment", u"<!-- <html class=\"translated-ltr\"> --><html>", false},
        {"empty", u"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CarriesTranslationMark(c.input), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace quillmoor

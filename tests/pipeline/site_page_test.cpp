#include "pipeline/site_page.h"

#include <gtest/gtest.h>

#include <string>

#include "pipeline/language_catalogue.h"
#include "pipeline/result_cleanup.h"
#include "pipeline/widget_snippet.h"
#include "tests/support/example.h"

namespace quillmoor {
namespace {

using test_support::Example;

// The captured markup as the browser serialises it, before StripWidgetRemnants, the source
// page it came from and the language.
struct Capture {
    std::u16string captured;
    std::u16string source;
    std::u16string code;
};

// The snippet's two scripts as the browser serialises them (the container is written apart,
// with the gadget that the widget put into it).
std::u16string SnippetScripts(std::u16string_view code) {
    const std::u16string snippet = WidgetSnippet(code);
    return snippet.substr(snippet.find(u"<script>"));
}

const std::u16string kContainerStart =
    uR"(<div id="google_translate_element" style="position:absolute;bottom:10px;right:10px;)"
    uR"(z-index:2000;opacity:0.7">)";

// Today's widget: the gadget, the loads that its loader puts in the head, the banner in its
// skiptranslate div at the top of the body, the tooltip block and the menu frame at its end,
// and the font wrappers of the translated texts.
std::u16string CurrentContainer() {
    return kContainerStart +
           uR"(<div class="skiptranslate goog-te-gadget" dir="ltr"><div )"
           uR"(class="VIpgJd-ZVi9od-xl07Ob-lTBxed"><span>Select Language</span></div></div></div>)";
}
const std::u16string kCurrentHeadLoads =
    uR"(<link type="text/css" rel="stylesheet" charset="UTF-8" )"
    uR"(href="https://www.gstatic.com/_/translate_http/_/ss/k=translate_http.tr.qhD/m=el_main_css">)"
    uR"(<script type="text/javascript" charset="UTF-8" )"
    uR"(src="https://translate.googleapis.com/_/translate_http/_/js/k=translate_http.tr.en/)"
    uR"(m=el_main"></script>)";
const std::u16string kCurrentBanner =
    uR"(<div class="skiptranslate" style=""><iframe id=":1.container" )"
    uR"(class="VIpgJd-ZVi9od-ORHb-OEVmcd skiptranslate" title="Google Translate" )"
    uR"(frameborder="0" style="visibility:visible"></iframe></div>)";
const std::u16string kCurrentEnd =
    uR"(<div id="goog-gt-tt" class="VIpgJd-yAWNEb-L7lbkb skiptranslate" style="" data-id="">)"
    uR"(<div id="goog-gt-vt" class="VIpgJd-yAWNEb-hvhgNd"><div )"
    uR"(class="VIpgJd-yAWNEb-hvhgNd-IuizWc" dir="ltr">Original text</div></div></div>)"
    uR"(<iframe class="VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate" title="Language Translate )"
    uR"(Widget" style="visibility: visible; box-sizing: content-box; width: 135px; height: )"
    uR"(69px; display: none;"></iframe>)";
std::u16string Font(std::u16string_view text) {
    const std::u16string font = uR"(<font style="vertical-align: inherit;">)";
    return font + font + std::u16string(text) + u"</font></font>";
}

// The earlier widget: its simple gadget, its loads, the banner frame at the top of the body
// (which it pushes down), the tooltip block and the menu frame at the end.
std::u16string FirstContainer() {
    return kContainerStart +
           uR"(<div class="skiptranslate goog-te-gadget-simple"><span )"
           uR"(class="goog-te-menu-value"><span>Select Language</span></span></div></div>)";
}
const std::u16string kFirstHeadLoads =
    uR"(<link type="text/css" rel="stylesheet" charset="UTF-8" )"
    uR"(href="https://translate.googleapis.com/translate_static/css/translateelement.css">)"
    uR"(<script type="text/javascript" charset="UTF-8" )"
    uR"(src="https://translate.googleapis.com/translate_static/js/element/main.js"></script>)";
const std::u16string kFirstBanner =
    uR"(<iframe id=":2.container" class="goog-te-banner-frame skiptranslate" frameborder="0" )"
    uR"(src="https://translate.google.com/translate_a/banner.html" )"
    uR"(style="visibility:visible"></iframe>)";
const std::u16string kFirstEnd =
    uR"(<div id="goog-gt-tt" class="skiptranslate" dir="ltr"><div style="padding: 8px;">)"
    uR"(<div class="logo"></div></div><div class="top" style="padding: 8px; float: left; )"
    uR"(width: 100%;"><h1 class="title gray">Original text</h1></div></div>)"
    uR"(<iframe class="goog-te-menu-frame skiptranslate" title="Language Translate Widget" )"
    uR"(style="visibility: visible; box-sizing: content-box; width: 135px; height: 69px; )"
    uR"(display: none;"></iframe>)";

// A page with a full head, written with CR LF breaks: the parser reads them as LF.
const std::u16string kPage =
    u"<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
    u"<title>Page</title>\r\n<link rel=\"stylesheet\" href=\"page_files/style.css\">\r\n"
    u"</head>\r\n<body class=\"main\">\r\n<h1>Hello world</h1>\r\n"
    u"<img src=\"cat.png\" alt=\"A cat\">\r\n</body>\r\n</html>\r\n";
// Its head and body as the browser serialised them, translated: the head's elements in the
// body behind the snippet.
const std::u16string kPageMoved =
    u"\n<meta charset=\"utf-8\">\n<title>Seite</title>\n"
    u"<link rel=\"stylesheet\" href=\"page_files/style.css\">\n\n";
const std::u16string kPageHead =
    u"\n<meta charset=\"utf-8\">\n<title>Seite</title>\n"
    u"<link rel=\"stylesheet\" href=\"page_files/style.css\">\n";
const std::u16string kPageBody =
    u"\n<h1>" + Font(u"Hallo Welt") + u"</h1>\n<img src=\"cat.png\" alt=\"Eine Katze\">\n\n\n";

// A page whose head holds scripts (one with "<head>" and "</head>" in its text), a style
// element, a comment and odd attributes; its own body starts with a script too.
const std::u16string kScripted =
    u"<html data-x=\"a>b\" class=\"site\">\n<head>\n<!-- set up -->\n"
    u"<script src=\"js/app.js\"></script>\n<script>var s = '<head></head><body>';</script>\n"
    u"<style>p > a { color: red; }</style>\n<meta name=\"description\" content=\"1 > 0\">\n"
    u"</head>\n<body>\n<script src=\"js/body.js\"></script>\n<p>Hello</p>\n</body>\n</html>\n";
const std::u16string kScriptedMoved =
    u"\n<!-- set up -->\n<script src=\"js/app.js\"></script>\n"
    u"<script>var s = '<head></head><body>';</script>\n<style>p > a { color: red; }</style>\n"
    u"<meta name=\"description\" content=\"1 &gt; 0\">\n";
const std::u16string kScriptedBody =
    u"\n<script src=\"js/body.js\"></script>\n<p>[fr] Hello</p>\n\n\n";

// A page with the snippet in front of "<head" as Chromium parsed and serialised it (the
// widget did not load): the head's elements, a comment among them, in the body, an attribute
// value written anew.
const std::u16string kParsedSource =
    u"<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
    u"<title>Page</title>\r\n<link rel=\"stylesheet\" href=\"page_files/style.css\">\r\n"
    u"<script>var s = '<head></head>';</script>\r\n<!-- c -->\r\n"
    u"<meta name=\"d\" content=\"1 > 0 &amp; &eacute;\">\r\n</head>\r\n"
    u"<body class=\"main\" style=\"color: red\">\r\n<h1>Hello world</h1>\r\n"
    u"<img src=\"cat.png\" alt=\"A cat\">\r\n</body>\r\n</html>\r\n";
const std::u16string kParsedHead =
    u"\n<meta charset=\"utf-8\">\n<title>Page</title>\n"
    u"<link rel=\"stylesheet\" href=\"page_files/style.css\">\n"
    u"<script>var s = '<head></head>';</script>\n<!-- c -->\n"
    u"<meta name=\"d\" content=\"1 &gt; 0 &amp; \u00E9\">\n";
const std::u16string kParsedBody =
    u"\n<h1>Hello world</h1>\n<img src=\"cat.png\" alt=\"A cat\">\n\n\n</body></html>";

TEST(CleanSitePage, GivesThePageItsSourceStructureWithoutTheWidget) {
    const Example<Capture, std::u16string> cases[] = {
        {"today's widget: the head's elements back in the head, the translation kept",
         {u"<!DOCTYPE html><html lang=\"en\" class=\"translated-ltr\"><head>" + kCurrentHeadLoads +
              u"</head><body class=\"main\">" + kCurrentBanner + CurrentContainer() +
              SnippetScripts(u"de") + kPageMoved + kPageBody + kCurrentEnd + u"</body></html>",
          kPage, u"de"},
         u"<!DOCTYPE html><html lang=\"de\"><head>" + kPageHead +
             u"</head>\n<body class=\"main\">" + kPageBody + u"</body></html>"},
        {"as Chromium parsed the page",
         {u"<!DOCTYPE html><html lang=\"en\"><head></head><body class=\"main\" "
          u"style=\"color: red\">" +
              kContainerStart + u"</div>" + SnippetScripts(u"de") + kParsedHead + u"\n" +
              kParsedBody,
          kParsedSource, u"de"},
         u"<!DOCTYPE html><html lang=\"de\"><head>" + kParsedHead +
             u"</head>\n<body class=\"main\" style=\"color: red\">" + kParsedBody},
        {"the earlier widget: the body's style as the source's",
         {u"<!DOCTYPE html><html lang=\"en\" class=\"translated-ltr\"><head>" + kFirstHeadLoads +
              u"</head><body class=\"main\" style=\"position: relative; min-height: 100%; top: "
              u"40px;\">" +
              kFirstBanner + FirstContainer() + SnippetScripts(u"de") + kPageMoved + kPageBody +
              kFirstEnd + u"</body></html>",
          kPage, u"de"},
         u"<!DOCTYPE html><html lang=\"de\"><head>" + kPageHead +
             u"</head>\n<body class=\"main\">" + kPageBody + u"</body></html>"},
        {"scripts, a style, a comment in the head; the body's own first script stays",
         {u"<html class=\"site translated-ltr\" data-x=\"a>b\"><head>" + kFirstHeadLoads +
              u"</head><body style=\"top: 40px;\">" + kFirstBanner + FirstContainer() +
              SnippetScripts(u"fr") + kScriptedMoved + u"\n" + kScriptedBody + kFirstEnd +
              u"</body></html>",
          kScripted, u"fr"},
         u"<html data-x=\"a>b\" class=\"site\" lang=\"fr\"><head>" + kScriptedMoved +
             u"</head>\n<body>" + kScriptedBody + u"</body></html>"},
        {"a right-to-left language sets dir over the source's",
         {u"<html lang=\"en\" dir=\"ltr\" class=\"translated-rtl\"><head></head><body>" +
              CurrentContainer() + SnippetScripts(u"ar") + u"<title>" + Font(u"\u0635") +
              u"</title><p>" + Font(u"\u0645") + u"</p></body></html>",
          u"<html lang=\"en\" dir=\"ltr\"><head><title>Page</title></head><body><p>Hi</p>"
          u"</body></html>",
          u"ar"},
         u"<html lang=\"ar\" dir=\"rtl\"><head><title>\u0635</title></head><body><p>" +
             Font(u"\u0645") + u"</p></body></html>"},
        {"Hebrew by the widget's code gets dir where the source has none",
         {u"<html class=\"translated-rtl\"><head></head><body>" + CurrentContainer() +
              SnippetScripts(u"iw") + u"<p>\u05E9</p></body></html>",
          u"<html><body><p>Hi</p></body></html>", u"iw"},
         u"<html lang=\"he\" dir=\"rtl\"><head></head><body><p>\u05E9</p></body></html>"},
        {"a right-to-left source into a left-to-right language keeps its dir",
         {u"<html lang=\"ar\" dir=\"rtl\" class=\"translated-ltr\"><head></head><body>" +
              CurrentContainer() + SnippetScripts(u"en") + u"<p>Hi</p></body></html>",
          u"<html lang=\"ar\" dir=\"rtl\"><body><p>\u0645</p></body></html>", u"en"},
         u"<html lang=\"en\" dir=\"rtl\"><head></head><body><p>Hi</p></body></html>"},
        {"an XHTML root sets xml:lang too",
         {u"<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\" lang=\"en\" "
          u"class=\"translated-ltr\"><head></head><body>" +
              CurrentContainer() + SnippetScripts(u"de") + u"<p>Hallo</p></body></html>",
          u"<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\" lang=\"en\"><body>"
          u"<p>Hello</p></body></html>",
          u"de"},
         u"<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"de\" lang=\"de\"><head>"
         u"</head><body><p>Hallo</p></body></html>"},
        {"no head tag in the source: its head stayed, the widget's loads go",
         {u"<html class=\"translated-ltr\"><head><title>Seite</title>" + kCurrentHeadLoads +
              u"</head><body>" + CurrentContainer() + SnippetScripts(u"de") +
              u"<p>Hallo</p></body></html>",
          u"<html><title>Page</title><body><p>Hello</p></body></html>", u"de"},
         u"<html lang=\"de\"><head><title>Seite</title></head><body><p>Hallo</p></body></html>"},
        {"a fragment with a head and no html or body tag",
         {u"<html class=\"translated-ltr\"><head></head><body>" + CurrentContainer() +
              SnippetScripts(u"de") + u"<title>Seite</title><p>Hallo</p></body></html>",
          u"<head><title>Page</title></head><p>Hello</p>", u"de"},
         u"<html lang=\"de\"><head><title>Seite</title></head><body><p>Hallo</p></body></html>"},
        {"upper-case tags and the source's doctype as written",
         {u"<!DOCTYPE html><html lang=\"en\" class=\"translated-ltr\"><head></head><body>" +
              CurrentContainer() + SnippetScripts(u"de") +
              u"<meta charset=\"utf-8\"><title>Seite</title><p>Hallo</p></body></html>",
          u"<!doctype HTML><HTML LANG=\"en\"><head><META CHARSET=\"utf-8\"><TITLE>Page</TITLE>"
          u"</HEAD><BODY><P>Hello</P></BODY></HTML>",
          u"de"},
         u"<!doctype HTML><html LANG=\"de\"><head><meta charset=\"utf-8\"><title>Seite</title>"
         u"</head><body><p>Hallo</p></body></html>"},
        {"a doctype the source does not have goes; one the capture lacks comes",
         {u"<!DOCTYPE html><html class=\"translated-ltr\"><head></head><body>" +
              CurrentContainer() + u"<p>Hallo</p></body></html>",
          u"<html><body><p>Hello</p></body></html>", u"de"},
         u"<html lang=\"de\"><head></head><body><p>Hallo</p></body></html>"},
        {"the source's doctype behind a comment, a missing one in the capture",
         {u"<!-- c --><html class=\"translated-ltr\"><head></head><body>" + CurrentContainer() +
              u"<p>Hallo</p></body></html>",
          u"\uFEFF<!-- c -->\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\">\n"
          u"<html><body><p>Hello</p></body></html>",
          u"de"},
         u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\"><!-- c --><html "
         u"lang=\"de\"><head></head><body><p>Hallo</p></body></html>"},
        {"a head element that the page's script took out is passed over",
         {u"<html class=\"translated-ltr\"><head></head><body>" + CurrentContainer() +
              u"<link rel=\"icon\" href=\"i.png\"><p>Hallo</p></body></html>",
          u"<html><head><script src=\"gone.js\"></script><link rel=\"icon\" href=\"i.png\">"
          u"</head><body><p>Hello</p></body></html>",
          u"de"},
         u"<html lang=\"de\"><head><link rel=\"icon\" href=\"i.png\"></head><body><p>Hallo</p>"
         u"</body></html>"},
        {"the page's own element of the container's id, later, stays",
         {u"<html class=\"translated-ltr\"><head></head><body>" + CurrentContainer() +
              u"<p>Hallo</p><div id=\"google_translate_element\">own</div></body></html>",
          u"<html><body><p>Hello</p><div id=\"google_translate_element\">own</div></body>"
          u"</html>",
          u"de"},
         u"<html lang=\"de\"><head></head><body><p>Hallo</p><div "
         u"id=\"google_translate_element\">own</div></body></html>"},
        {"the page's own scripts and style sheets in the head stay",
         {u"<html class=\"translated-ltr\"><head><script src=\"https://example.com/"
          u"?u=//translate.googleapis.com/x.js\"></script>" +
              kCurrentHeadLoads + u"<style>b{}</style></head><body>" + CurrentContainer() +
              u"<p>Hallo</p></body></html>",
          u"<html><script src=\"https://example.com/?u=//translate.googleapis.com/x.js\"></script>"
          u"<style>b{}</style><body><p>Hello</p></body></html>",
          u"de"},
         u"<html lang=\"de\"><head><script src=\"https://example.com/?u=//translate.googleapis.com/"
         u"x.js\"></script><style>b{}</style></head><body><p>Hallo</p></body></html>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            CleanSitePage(StripWidgetRemnants(c.input.captured), c.input.source, c.input.code),
            c.expected);
    }
}

TEST(CleanSitePage, MarkupWithoutAHeadOrABodyIsCleanedAsFarAsItHasThem) {
    const Example<std::u16string, std::u16string> cases[] = {
        {"no root element", CurrentContainer() + u"<p>x</p>", u"<p>x</p>"},
        {"no head", u"<html class=\"translated-ltr\"><p>x</p></html>",
         u"<html lang=\"de\"><p>x</p></html>"},
        {"no body", u"<html><head><title>t</title>" + kCurrentHeadLoads + u"</head></html>",
         u"<html lang=\"de\"><head><title>t</title></head></html>"},
        {"a head that is not closed", u"<html><head><title>t</title>",
         u"<html lang=\"de\"><head><title>t</title>"},
        {"empty", u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CleanSitePage(c.input, u"<html><head><title>t</title></head></html>", u"de"),
                  c.expected);
    }
}

TEST(CleanSitePage, AHeadTheBrowserKeptGivesNothingOfTheBodyToIt) {
    // The snippet stood in the body: the head is whole, and the body's own script, of the
    // same shape as the head's first element, stays where it is.
    const std::u16string source =
        u"<html><head><script src=\"a.js\"></script><title>T</title></head><body>"
        u"<script src=\"b.js\"></script><p>x</p></body></html>";
    const std::u16string captured =
        u"<html class=\"translated-ltr\"><head><script src=\"a.js\"></script><title>[fr] T"
        u"</title></head><body>" +
        CurrentContainer() + SnippetScripts(u"fr") +
        u"<script src=\"b.js\"></script><p>[fr] x</p></body></html>";
    EXPECT_EQ(CleanSitePage(StripWidgetRemnants(captured), source, u"fr"),
              u"<html lang=\"fr\"><head><script src=\"a.js\"></script><title>[fr] T</title>"
              u"</head><body><script src=\"b.js\"></script><p>[fr] x</p></body></html>");
}

TEST(CleanSitePage, TheTitleHoldsItsTranslatedTextOnly) {
    const std::u16string captured =
        u"<html class=\"translated-ltr\"><head><title><font style=\"vertical-align: inherit;\">"
        u"<font style=\"vertical-align: inherit;\">[fr] Tom &amp; Jerry</font></font></title>"
        u"</head><body><p><font>[fr] x</font></p><title>2</title></body></html>";
    EXPECT_EQ(
        CleanSitePage(captured, u"<html><head><title>Tom &amp; Jerry</title></head></html>", u"fr"),
        u"<html lang=\"fr\"><head><title>[fr] Tom &amp; Jerry</title></head><body><p>"
        u"<font>[fr] x</font></p><title>2</title></body></html>");
}

TEST(IsRightToLeftLanguage, KnowsTheCataloguesRightToLeftLanguages) {
    std::u16string right_to_left;
    for (const std::u16string& code : LanguageCodes()) {
        if (IsRightToLeftLanguage(code)) {
            right_to_left += code + u" ";
        }
    }
    EXPECT_EQ(right_to_left, u"ar iw ps fa sd ur yi ");
    EXPECT_TRUE(IsRightToLeftLanguage(u"he"));
    EXPECT_TRUE(IsRightToLeftLanguage(u"ug"));
    EXPECT_FALSE(IsRightToLeftLanguage(u"AR"));
}

TEST(AlternateVersionsOf, NamesTheSourceAndEachLanguageTreeWithAddressesThatHoldThePath) {
    const struct {
        const char* name;
        std::string base;
        std::string page;
        std::vector<std::u16string> codes;
        std::vector<std::pair<std::u16string, std::string>> expected;
    } cases[] = {
        {"plain",
         "https://example.org/docs",
         "guide/intro.html",
         {u"fr", u"zh-CN"},
         {{u"x-default", "https://example.org/docs/guide/intro.html"},
          {u"fr", "https://example.org/docs/fr/guide/intro.html"},
          {u"zh-CN", "https://example.org/docs/zh-CN/guide/intro.html"}}},
        {"slashes at the end of the base are dropped",
         "https://example.org//",
         "index.html",
         {u"de"},
         {{u"x-default", "https://example.org/index.html"},
          {u"de", "https://example.org/de/index.html"}}},
        {"the widget's old codes get the tags pages know",
         "http://h",
         "a.html",
         {u"iw", u"jw"},
         {{u"x-default", "http://h/a.html"},
          {u"he", "http://h/iw/a.html"},
          {u"jv", "http://h/jw/a.html"}}},
        {"blanks, non-ASCII, % # ? are encoded; what an address holds stays",
         "https://e.org",
         "r\xC3\xA9sum\xC3\xA9 2/100%#a?.html",
         {u"fr"},
         {{u"x-default", "https://e.org/r%C3%A9sum%C3%A9%202/100%25%23a%3F.html"},
          {u"fr", "https://e.org/fr/r%C3%A9sum%C3%A9%202/100%25%23a%3F.html"}}},
        {"no language",
         "https://e.org",
         "a-b_c~d.html",
         {},
         {{u"x-default", "https://e.org/a-b_c~d.html"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<std::u16string, std::string>> got;
        for (const AlternateVersion& version : AlternateVersionsOf(c.base, c.page, c.codes)) {
            got.emplace_back(version.hreflang, version.address);
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST(WithAlternateLinks, ReplacesItsOwnLinesBeforeTheHeadsEndAndNothingElse) {
    const std::vector<AlternateVersion> two = {{u"x-default", "https://e.org/a.html"},
                                               {u"fr", "https://e.org/fr/a.html?x=1&y=\"2\""}};
    const std::u16string lines =
        u"\n<link rel=\"alternate\" hreflang=\"x-default\" href=\"https://e.org/a.html\">"
        u"\n<link rel=\"alternate\" hreflang=\"fr\" "
        u"href=\"https://e.org/fr/a.html?x=1&amp;y=&quot;2&quot;\">";
    const std::u16string page =
        u"<html lang=\"fr\"><head><title>T</title>\r\n</HEAD><body><p>x</p></body></html>";
    const std::u16string linked = WithAlternateLinks(page, two);
    EXPECT_EQ(linked, u"<html lang=\"fr\"><head><title>T</title>\r\n" + lines +
                          u"</HEAD><body><p>x</p></body></html>");
    // Again with the same versions: the same page; with others: only the new lines; with
    // none: the page as it was.
    EXPECT_EQ(WithAlternateLinks(linked, two), linked);
    const std::vector<AlternateVersion> one = {{u"x-default", "https://n.org/a.html"}};
    EXPECT_EQ(WithAlternateLinks(linked, one),
              u"<html lang=\"fr\"><head><title>T</title>\r\n\n<link rel=\"alternate\" "
              u"hreflang=\"x-default\" href=\"https://n.org/a.html\"></HEAD><body><p>x</p>"
              u"</body></html>");
    EXPECT_EQ(WithAlternateLinks(linked, {}), page);
    // The page's own links, not written on a line of their own, stay; a page without a head
    // end is left as it is.
    const std::u16string own =
        u"<html><head><link rel=\"alternate\" hreflang=\"de\" href=\"/de/\"></head></html>";
    EXPECT_EQ(WithAlternateLinks(WithAlternateLinks(own, two), {}), own);
    EXPECT_EQ(WithAlternateLinks(u"<p>fragment</p>", two), u"<p>fragment</p>");
}

}  // namespace
}  // namespace quillmoor

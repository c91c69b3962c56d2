// Turning a translated page, as the browser hands it back, into the page that a translated
// site publishes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmoor {

// The language tag that pages and search engines know for the widget's language code: the
// code itself, but he for the widget's older iw (Hebrew) and jv for jw (Javanese).
std::u16string LanguageTagOf(std::u16string_view language_code);

// Whether the widget's language code names a language written from right to left: ar, fa,
// he (and the widget's older iw), ps, sd, ug, ur, yi.
bool IsRightToLeftLanguage(std::u16string_view language_code);

// The page to publish for captured, the translated markup after StripWidgetRemnants, made
// from source_text (the source page as read, before the widget was written into it) in the
// language language_code:
//  - the widget's container (the first element of the id google_translate_element) is cut
//    out with all it holds, so are the link and script elements that the widget's loader
//    adds to the head (those that load from the widget's hosts);
//  - the doctype is the source's, as written there (none when the source has none);
//  - the root element carries the source's attributes (which drops the widget's
//    translated-ltr / translated-rtl mark) with lang (and xml:lang, where the source has
//    it) set to LanguageTagOf(language_code), and dir="rtl" for a right-to-left language; for the
//    others dir is as the source has it;
//  - the elements of the source's head that the browser moved into the body (the snippet
//    stood in front of "<head", which ends the head there) are moved back to the head, as
//    the browser serialised them (a translated title stays translated), in their order
//    and with the blanks and comments between them. They are found at the start of the
//    body by their tag and their attributes' names, in the source's order;
//  - the body element's style is the source's (the widget pushes the body down for its
//    banner);
//  - the title holds text only: the elements the widget wrapped its translation in there
//    are taken out, their text kept (a browser would show them in the title as text);
// Everything else stays byte for byte, the translated texts and attributes of the body
// among it. Markup without a head or a body element (a fragment) is cleaned as far as it
// has them. Takes captured over, so that a caller who no longer needs it can move it in.
std::u16string CleanSitePage(std::u16string captured, std::u16string_view source_text,
                             std::u16string_view language_code);

// One version of a page for the alternate links: the hreflang value and the address.
struct AlternateVersion {
    std::u16string hreflang;
    std::string address;  // absolute, UTF-8
};

// The addresses of the versions of the page at page_path (inside the site, "/" between
// folders, UTF-8) of a site published at base_url (its trailing slashes dropped), whose
// language trees lie below it in folders named by the codes: the source as x-default at
// base_url/page_path, then each of language_codes (in the order given, hreflang from
// LanguageTagOf) at base_url/code/page_path. The characters of page_path that an address
// cannot hold as they are (blanks, non-ASCII, "%", "#", "?") are percent-encoded as UTF-8.
std::vector<AlternateVersion> AlternateVersionsOf(
    std::string_view base_url, std::string_view page_path,
    const std::vector<std::u16string>& language_codes);

// page with its alternate links set to versions: each <link rel="alternate" hreflang="..."
// href="..."> line that an earlier call wrote is taken out, and one such line per version
// (none for an empty versions) goes in just before the first </head>. A page without
// </head> is given back unchanged.
std::u16string WithAlternateLinks(std::u16string page,
                                  const std::vector<AlternateVersion>& versions);

}  // namespace quillmoor

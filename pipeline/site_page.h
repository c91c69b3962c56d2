// Turning a translated page, as the browser hands it back, into the page that a translated
// site publishes.
#pragma once

#include <string>
#include <string_view>

namespace quillmoor {

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
//    it) set to language_code, and dir="rtl" for a right-to-left language; for the others
//    dir is as the source has it;
//  - the elements of the source's head that the browser moved into the body (the snippet
//    stood in front of "<head", which ends the head there) are moved back to the head, as
//    the browser serialised them (a translated title stays translated), in their order
//    and with the blanks and comments between them. They are found at the start of the
//    body by their tag and their attributes' names, in the source's order;
//  - the body element's style is the source's (the widget pushes the body down for its
//    banner);
// Everything else stays byte for byte, the translated texts and attributes of the body
// among it. Markup without a head or a body element (a fragment) is cleaned as far as it
// has them. Takes captured over, so that a caller who no longer needs it can move it in.
std::u16string CleanSitePage(std::u16string captured, std::u16string_view source_text,
                             std::u16string_view language_code);

}  // namespace quillmoor

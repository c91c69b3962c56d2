// The scripts that the browser window runs in the page.
#pragma once

#include <string_view>

namespace quillmoor {

// Clicks the first entry of the translation widget's language menu: walks the elements of
// the main document; in each widget menu frame it clicks the first language entry, then
// looks through the entry's spans for the one of class "text" (which changes nothing).
// One line of 507 characters, its runs of blanks included.
inline constexpr std::u16string_view kPickLanguageScript =
    u"var eles=document.all;for(var i=0;i<eles.length;i++){var id1=eles[i].id;var "
    u"class1=eles[i].getAttribute(\"class\");if (class1 == 'goog-te-menu-frame "
    u"skiptranslate'){var mm = eles[i].contentWindow.document.all;for(var "
    u"j=0;j<mm.length;j++){var class2=mm[j].getAttribute(\"class\");if (class2 == "
    u"'goog-te-menu2-item'){mm[j].click();obj = "
    u"mm[j].getElementsByTagName(\"span\");for(var k in obj){if(obj[k].className == "
    u"\"text\"){   break;                              }                                "
    u"        } break;}}}}";

inline constexpr std::u16string_view kScrollToBottomScript =
    u"window.scrollTo(0,document.body.scrollHeight)";
inline constexpr std::u16string_view kScrollToMiddleScript =
    u"window.scrollTo(0,document.body.scrollHeight/2)";
inline constexpr std::u16string_view kScrollToTopScript = u"window.scrollTo(0,0)";

// The address that the scripts run under.
inline constexpr std::u16string_view kPageScriptAddress = u"about:blank";

}  // namespace quillmoor

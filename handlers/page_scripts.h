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

// Clicks the target language's entry in the language menu of the widget as it is served
// today, and only when the page holds no menu frame of the earlier widget (which the script
// above handles). The menu is a frame of the classes VIpgJd-ZVi9od-xl07Ob-OEVmcd and
// skiptranslate; its entries are links of the class VIpgJd-ZVi9od-vH1Gmf-ibnC6b, the one of
// the current choice marked with the class ending in -gk6SMd. The entry clicked is the one
// whose value is the language code that the page's widget snippet includes; without such
// an entry, the first one not marked current (the snippet offers one language), or the
// first one when all are. One entry is clicked in all; a frame whose document cannot be
// reached is passed over.
inline constexpr std::u16string_view kPickLanguageInCurrentMenuScript =
    u"(function(){"
    u"var all=document.getElementsByTagName('*');"
    u"for(var i=0;i<all.length;i++){"
    u"if(all[i].getAttribute('class')==='goog-te-menu-frame skiptranslate'){return;}}"
    u"var code=null,scripts=document.getElementsByTagName('script');"
    u"for(var s=0;s<scripts.length&&code===null;s++){"
    u"var m=/includedLanguages:\\s*'([^']*)'/.exec(scripts[s].text);"
    u"if(m){code=m[1];}}"
    u"var entry='VIpgJd-ZVi9od-vH1Gmf-ibnC6b',current=entry+'-gk6SMd';"
    u"for(var f=0;f<all.length;f++){"
    u"var c=all[f].classList;"
    u"if(!c||!c.contains('VIpgJd-ZVi9od-xl07Ob-OEVmcd')||!c.contains('skiptranslate')){"
    u"continue;}"
    u"var doc=null;"
    u"try{doc=all[f].contentDocument;}catch(e){doc=null;}"
    u"if(!doc){continue;}"
    u"var links=doc.getElementsByTagName('a'),exact=null,other=null,first=null;"
    u"for(var j=0;j<links.length&&!exact;j++){"
    u"var a=links[j],k=a.classList;"
    u"if(!k.contains(entry)&&!k.contains(current)){continue;}"
    u"if(!first){first=a;}"
    u"if(code!==null&&a.getAttribute('value')===code){exact=a;}"
    u"if(!other&&!k.contains(current)){other=a;}}"
    u"var pick=exact||other||first;"
    u"if(pick){pick.click();return;}}"
    u"})();";

inline constexpr std::u16string_view kScrollToBottomScript =
    u"window.scrollTo(0,document.body.scrollHeight)";
inline constexpr std::u16string_view kScrollToMiddleScript =
    u"window.scrollTo(0,document.body.scrollHeight/2)";
inline constexpr std::u16string_view kScrollToTopScript = u"window.scrollTo(0,0)";

// The address that the scripts run under.
inline constexpr std::u16string_view kPageScriptAddress = u"about:blank";

}  // namespace quillmoor

#include "pipeline/language_catalogue.h"

#include <string_view>

namespace quillmoor {
namespace {

// Each list is kept as one text, its entries separated by "|", and split once on first use.
constexpr std::u16string_view kLanguageNamesText =
    u"Afrikaans|Albanian|Amharic|Arabic|Armenian|Azerbaijani|Basque|Belarusian|Bengali|"
    u"Bosnian|Bulgarian|Catalan|Cebuano|Chichewa|Chinese(Simplified)|Chinese(Traditional)|"
    u"Corsican|Croatian|Czech|Danish|Dutch|English|Esperanto|Estonian|Filipino|Finnish|"
    u"French|Frisian|Galician|Georgian|German|Greek|Gujarati|HaitianCreole|Hausa|Hawaiian|"
    u"Hebrew|Hindi|Hmong|Hungarian|Icelandic|Igbo|Indonesian|Irish|Italian|Japanese|"
    u"Javanese|Kannada|Kazakh|Khmer|Korean|Kurdish(Kurmanji)|Kyrgyz|Lao|Latin|Latvian|"
    u"Lithuanian|Luxembourgish|Macedonian|Malagasy|Malay|Malayalam|Maltese|Maori|Marathi|"
    u"Mongolian|Myanmar(Burmese)|Nepali|Norwegian|Pashto|Persian|Polish|Portuguese|"
    u"Punjabi|Romanian|Russian|Samoan|ScotsGaelic|Serbian|Sesotho|Shona|Sindhi|Sinhala|"
    u"Slovak|Slovenian|Somali|Spanish|Sundanese|Swahili|Swedish|Tajik|Tamil|Telugu|Thai|"
    u"Turkish|Ukrainian|Urdu|Uzbek|Vietnamese|Welsh|Xhosa|Yiddish|Yoruba|Zulu";

constexpr std::u16string_view kLanguageCodesText =
    u"af|sq|am|ar|hy|az|eu|be|bn|bs|bg|ca|ceb|ny|zh-CN|zh-TW|co|hr|cs|da|nl|en|eo|et|tl|"
    u"fi|fr|fy|gl|ka|de|el|gu|ht|ha|haw|iw|hi|hmn|hu|is|ig|id|ga|it|ja|jw|kn|kk|km|ko|ku|"
    u"ky|lo|la|lv|lt|lb|mk|mg|ms|ml|mt|mi|mr|mn|my|ne|no|ps|fa|pl|pt|pa|ro|ru|sm|gd|sr|st|"
    u"sn|sd|si|sk|sl|so|es|su|sw|sv|tg|ta|te|th|tr|uk|ur|uz|vi|cy|xh|yi|yo|zu";

std::vector<std::u16string> SplitAtBars(std::u16string_view text) {
    std::vector<std::u16string> entries;
    for (size_t start = 0;;) {
        const size_t bar = text.find(u'|', start);
        entries.emplace_back(text.substr(start, bar - start));
        if (bar == std::u16string_view::npos) {
            return entries;
        }
        start = bar + 1;
    }
}

}  // namespace

const std::vector<std::u16string>& LanguageNames() {
    static const std::vector<std::u16string> names = SplitAtBars(kLanguageNamesText);
    return names;
}

const std::vector<std::u16string>& LanguageCodes() {
    static const std::vector<std::u16string> codes = SplitAtBars(kLanguageCodesText);
    return codes;
}

std::u16string CheckboxComponentName(std::size_t index) {
    std::u16string name = u"Checkbox";
    for (const char16_t c : LanguageNames().at(index)) {
        if (c != u' ' && c != u'(' && c != u')') {
            name.push_back(c);
        }
    }
    return name;
}

}  // namespace quillmoor

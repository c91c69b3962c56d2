#include "tests/pipeline/mixed_text.h"

#include "pipeline/page_encoding.h"

namespace quillmoor::test_support {

std::u16string MixedText(std::size_t size) {
    const std::u16string fragments[] = {u"\r",     u"\n",     u"\r\n",      u"\n\r",
                                        u"\u00E9", u"\u4E2D", u"\U0001F600"};
    const std::u16string ascii = u"<p class=\"x\">Lorem ipsum dolor sit amet</p>";
    std::u16string text;
    unsigned seed = 11;
    while (text.size() < size) {
        seed = seed * 1103515245 + 12345;
        const unsigned pick = (seed >> 16) % 16;
        text += pick < 7 ? fragments[pick] : ascii.substr(0, (seed >> 8) % 41);
    }
    return text;
}

std::u16string Normalized(std::u16string text) {
    NormalizeLineBreaks(text);
    return text;
}

}  // namespace quillmoor::test_support

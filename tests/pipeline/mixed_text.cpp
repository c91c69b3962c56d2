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

std::string Utf16File(std::u16string_view text, bool big_endian) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += big_endian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string EveryByteButLineBreaks() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            bytes.push_back(static_cast<char>(b));
        }
    }
    return bytes;
}

}  // namespace quillmoor::test_support

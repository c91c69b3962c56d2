#include "platform/ansi_code_page.h"

#include <utility>

#include "platform/utf.h"

namespace quillmoor {

AnsiCodePage::AnsiCodePage(std::shared_ptr<const Converter> converter)
    : converter_(std::move(converter)) {}

std::u16string AnsiCodePage::Decode(std::string_view bytes) const {
    std::u16string text;
    DecodeAppend(bytes, text);
    return text;
}

bool AnsiCodePage::RoundTripsExactly(std::u16string_view text) const {
    // Slices keep the memory for the check small, whatever the length of the text.
    constexpr size_t kSliceUnits = 64 * 1024;
    std::string encoded;
    std::u16string decoded;
    for (size_t start = 0; start < text.size();) {
        const size_t end = Utf16SliceEnd(text, start, kSliceUnits);
        const std::u16string_view slice = text.substr(start, end - start);
        encoded.clear();
        decoded.clear();
        EncodeAppend(slice, encoded);
        DecodeAppend(encoded, decoded);
        if (decoded != slice) {
            return false;
        }
        start = end;
    }
    return true;
}

std::string AnsiCodePage::Encode(std::u16string_view text) const {
    std::string bytes;
    EncodeAppend(text, bytes);
    return bytes;
}

}  // namespace quillmoor

#include "platform/ansi_code_page.h"

#include <utility>

namespace quillmoor {

AnsiCodePage::AnsiCodePage(std::shared_ptr<const Converter> converter)
    : converter_(std::move(converter)) {}

std::u16string AnsiCodePage::Decode(std::string_view bytes) const {
    std::u16string text;
    DecodeAppend(bytes, text);
    return text;
}

std::string AnsiCodePage::Encode(std::u16string_view text) const {
    std::string bytes;
    EncodeAppend(text, bytes);
    return bytes;
}

}  // namespace quillmoor

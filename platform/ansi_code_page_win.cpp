#include "platform/ansi_code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "platform/utf.h"

namespace quillmoor {

// A Windows code page, converted by the system's standard conversion.
struct AnsiCodePage::Converter {
    UINT codePage = CP_ACP;
    std::string name;
};

namespace {

// Text is converted in slices of this many code units.
constexpr size_t kSliceUnits = 1024 * 1024;

std::string NameOfCodePage(UINT codePage) {
    return codePage == CP_UTF8 ? "UTF-8" : "CP" + std::to_string(codePage);
}

int LengthForSystem(size_t length) {
    if (length > static_cast<size_t>(INT_MAX)) {
        throw std::length_error("Text too long for the system's character conversion");
    }
    return static_cast<int>(length);
}

void AppendSlice(UINT codePage, std::u16string_view slice, std::string& out) {
    if (slice.empty()) {
        return;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(slice.data());
    const int length = LengthForSystem(slice.size());
    const int needed = WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(needed));
    WideCharToMultiByte(codePage, 0, wide, length, out.data() + start, needed, nullptr, nullptr);
}

}  // namespace

const AnsiCodePage& AnsiCodePage::System() {
    static const AnsiCodePage page(
        std::make_shared<const Converter>(Converter{GetACP(), NameOfCodePage(GetACP())}));
    return page;
}

AnsiCodePage AnsiCodePage::ForCodePage(unsigned number) {
    if (!IsValidCodePage(number)) {
        throw std::invalid_argument("Unknown code page: " + std::to_string(number));
    }
    return AnsiCodePage(
        std::make_shared<const Converter>(Converter{number, NameOfCodePage(number)}));
}

const std::string& AnsiCodePage::Name() const {
    return converter_->name;
}

void AnsiCodePage::DecodeAppend(std::string_view bytes, std::u16string& out) const {
    if (bytes.empty()) {
        return;
    }
    const int length = LengthForSystem(bytes.size());
    const int needed =
        MultiByteToWideChar(converter_->codePage, 0, bytes.data(), length, nullptr, 0);
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(needed));
    MultiByteToWideChar(converter_->codePage, 0, bytes.data(), length,
                        reinterpret_cast<wchar_t*>(out.data() + start), needed);
}

bool AnsiCodePage::CanEncodeExactly(std::u16string_view text) const {
    // Unmapped characters come back as the default character, best-fit ones as another.
    return RoundTripsExactly(text);
}

void AnsiCodePage::EncodeAppend(std::u16string_view text, std::string& out) const {
    for (size_t start = 0; start < text.size();) {
        const size_t end = Utf16SliceEnd(text, start, kSliceUnits);
        AppendSlice(converter_->codePage, text.substr(start, end - start), out);
        start = end;
    }
}

}  // namespace quillmoor

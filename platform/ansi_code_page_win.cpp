#include "platform/ansi_code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "platform/utf.h"

namespace quillmoor {

// A Windows code page, converted by the system's standard conversion.
struct AnsiCodePage::Converter {
    UINT code_page = CP_ACP;
    std::string name;
    // Every character is one byte: text can be cut anywhere.
    bool single_byte = false;
};

namespace {

// Text is converted in slices of this many code units.
constexpr size_t kSliceUnits = 1024 * 1024;

std::string NameOfCodePage(UINT code_page) {
    return code_page == CP_UTF8 ? "UTF-8" : "CP" + std::to_string(code_page);
}

std::shared_ptr<const AnsiCodePage::Converter> MakeConverter(UINT code_page) {
    CPINFO info{};
    const bool single_byte = GetCPInfo(code_page, &info) && info.MaxCharSize == 1;
    return std::make_shared<const AnsiCodePage::Converter>(
        AnsiCodePage::Converter{code_page, NameOfCodePage(code_page), single_byte});
}

int LengthForSystem(size_t length) {
    if (length > static_cast<size_t>(INT_MAX)) {
        throw std::length_error("Text too long for the system's character conversion");
    }
    return static_cast<int>(length);
}

void AppendSlice(UINT code_page, std::u16string_view slice, std::string& out) {
    if (slice.empty()) {
        return;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(slice.data());
    const int length = LengthForSystem(slice.size());
    const int needed =
        WideCharToMultiByte(code_page, 0, wide, length, nullptr, 0, nullptr, nullptr);
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(needed));
    WideCharToMultiByte(code_page, 0, wide, length, out.data() + start, needed, nullptr, nullptr);
}

}  // namespace

const AnsiCodePage& AnsiCodePage::System() {
    static const AnsiCodePage page(MakeConverter(GetACP()));
    return page;
}

AnsiCodePage AnsiCodePage::ForCodePage(unsigned number) {
    if (!IsValidCodePage(number)) {
        throw std::invalid_argument("Unknown code page: " + std::to_string(number));
    }
    return AnsiCodePage(MakeConverter(number));
}

const std::string& AnsiCodePage::Name() const {
    return converter_->name;
}

bool AnsiCodePage::ConvertsAsUtf8() const {
    return false;  // the system converts every code page, UTF-8 too
}

bool AnsiCodePage::IsUtf8() const {
    return converter_->code_page == CP_UTF8;
}

void AnsiCodePage::DecodeAppend(std::string_view bytes, std::u16string& out) const {
    if (bytes.empty()) {
        return;
    }
    const int length = LengthForSystem(bytes.size());
    const int needed =
        MultiByteToWideChar(converter_->code_page, 0, bytes.data(), length, nullptr, 0);
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(needed));
    MultiByteToWideChar(converter_->code_page, 0, bytes.data(), length,
                        reinterpret_cast<wchar_t*>(out.data() + start), needed);
}

std::optional<size_t> AnsiCodePage::PieceEnd(std::string_view bytes) const {
    if (converter_->single_byte) {
        return bytes.size();
    }
    if (converter_->code_page == CP_UTF8) {
        return Utf8PieceEnd(bytes);
    }
    return std::nullopt;
}

bool AnsiCodePage::CanEncodeExactly(std::u16string_view text) const {
    // Unmapped characters come back as the default character, best-fit ones as another.
    return RoundTripsExactly(text);
}

bool AnsiCodePage::EncodeAppendChecked(std::u16string_view text, std::string& out) const {
    return EncodeAppendRoundTripped(text, out);
}

void AnsiCodePage::EncodeAppend(std::u16string_view text, std::string& out) const {
    for (size_t start = 0; start < text.size();) {
        const size_t end = Utf16SliceEnd(text, start, kSliceUnits);
        AppendSlice(converter_->code_page, text.substr(start, end - start), out);
        start = end;
    }
}

}  // namespace quillmoor

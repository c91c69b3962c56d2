#include "platform/ansi_code_page.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/no_copy.h"
#include "platform/utf.h"

namespace quillmoor {

// The locale's character set, converted through iconv. Sets in which every byte stands
// for one character on its own are converted through tables built once from iconv; UTF-8
// has its own converter; every other set goes through iconv itself.
struct AnsiCodePage::Converter {
    enum class Kind { kUtf8, kSingleByte, kMultiByte };

    std::string name;
    Kind kind = Kind::kMultiByte;
    // Single-byte sets: the character of each byte, U+FFFD where the set defines none. A
    // byte from 80 to 9F that the set leaves undefined stands for the control character of
    // the same value, as in Windows' tables and in browsers, so that every byte of a
    // windows-1252 page comes back as it was.
    std::array<char16_t, 256> character_of_byte{};
    // Single-byte sets: the byte of each character, -1 where the set has none.
    std::vector<std::int16_t> byte_of_character;
};

namespace {

using Converter = AnsiCodePage::Converter;

constexpr char kSubstituteByte = '?';
const char* const kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);

class IconvConversion {
  public:
    IconvConversion(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~IconvConversion() {
        if (IsOpen()) {
            iconv_close(cd_);
        }
    }
    QUILLMOOR_NO_COPY(IconvConversion);

    bool IsOpen() const { return cd_ != kNoConversion; }
    iconv_t Handle() const { return cd_; }
    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  private:
    iconv_t cd_;
};

// Converts input with iconv and appends the result to out. An input sequence that cannot
// be converted is replaced by one substitute and skipped by skip_bytes bytes.
template <class Out>
void ConvertWithIconv(const std::string& to, const std::string& from, std::string_view input,
                      size_t skip_bytes, typename Out::value_type substitute, Out& out) {
    using Unit = typename Out::value_type;
    IconvConversion conversion(to, from);
    if (!conversion.IsOpen()) {
        throw std::invalid_argument("The character set " + from + " cannot be converted to " + to);
    }
    size_t used = out.size();
    out.resize(used + input.size() + 16);
    const auto grow = [&out] { out.resize(out.size() + out.size() / 2 + 16); };
    char* in = const_cast<char*>(input.data());
    size_t in_left = input.size();
    for (;;) {
        // Once the input is used up, a last call writes what a stateful set still holds.
        const bool flushing = in_left == 0;
        char* const out_start = reinterpret_cast<char*>(out.data() + used);
        char* out_pos = out_start;
        size_t out_left = (out.size() - used) * sizeof(Unit);
        const size_t result =
            flushing ? iconv(conversion.Handle(), nullptr, nullptr, &out_pos, &out_left)
                     : iconv(conversion.Handle(), &in, &in_left, &out_pos, &out_left);
        const int error = errno;
        used += static_cast<size_t>(out_pos - out_start) / sizeof(Unit);
        if (result != static_cast<size_t>(-1)) {
            if (flushing) {
                break;
            }
            continue;
        }
        if (error == E2BIG) {
            grow();
            continue;
        }
        if (in_left == 0) {
            break;  // nothing left to substitute: a failure of the final call
        }
        if (used == out.size()) {
            grow();
        }
        out[used++] = substitute;
        const size_t skipped = std::min(skip_bytes, in_left);
        in += skipped;
        in_left -= skipped;
    }
    out.resize(used);
}

std::string Normalized(std::string name) {
    std::string result;
    for (const char c : name) {
        if (c != '-' && c != '_') {
            result.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        }
    }
    return result;
}

bool IsUtf8(const std::string& charset) {
    return Normalized(charset) == "UTF8";
}

bool IsPlainAscii(const std::string& charset) {
    const std::string name = Normalized(charset);
    return name == "ANSIX3.41968" || name == "ASCII" || name == "USASCII" || name == "646" ||
           name == "ISO646US";
}

// Appends text in the single-byte set of converter to out, the substitute byte for each
// character that the set lacks. Returns true when it lacks none.
bool EncodeSingleBytes(const Converter& converter, std::u16string_view text, std::string& out) {
    const size_t start = out.size();
    out.resize(start + text.size());
    char* dest = out.data() + start;
    const auto& table = converter.byte_of_character;
    bool exact = true;
    for (size_t i = 0; i < text.size(); ++i) {
        const std::int16_t byte = table[text[i]];
        exact &= byte >= 0;
        dest[i] = byte < 0 ? kSubstituteByte : static_cast<char>(byte);
    }
    return exact;
}

// Fills the tables of converter when every byte of its set stands for at most one
// character on its own. Returns false for sets with multi-byte characters or shift states.
bool BuildSingleByteTables(Converter& converter) {
    IconvConversion conversion(kNativeUtf16, converter.name);
    for (unsigned byte = 0; byte < 256; ++byte) {
        conversion.Reset();
        char input = static_cast<char>(byte);
        char* in = &input;
        size_t in_left = 1;
        char16_t output[4] = {};
        char* out = reinterpret_cast<char*>(output);
        size_t out_left = sizeof output;
        if (iconv(conversion.Handle(), &in, &in_left, &out, &out_left) == static_cast<size_t>(-1)) {
            if (errno != EILSEQ) {
                return false;  // the lead byte of a longer character
            }
            converter.character_of_byte[byte] = kReplacementCharacter;
            continue;
        }
        iconv(conversion.Handle(), nullptr, nullptr, &out, &out_left);
        if (out_left != sizeof output - sizeof(char16_t)) {
            return false;
        }
        converter.character_of_byte[byte] = output[0];
    }
    const auto& characters = converter.character_of_byte;
    for (unsigned byte = 0x80; byte < 0xA0; ++byte) {
        const auto control = static_cast<char16_t>(byte);
        if (characters[byte] == kReplacementCharacter &&
            std::find(characters.begin(), characters.end(), control) == characters.end()) {
            converter.character_of_byte[byte] = control;
        }
    }
    converter.byte_of_character.assign(0x10000, -1);
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char16_t c = converter.character_of_byte[byte];
        if (c != kReplacementCharacter && converter.byte_of_character[c] < 0) {
            converter.byte_of_character[c] = static_cast<std::int16_t>(byte);
        }
    }
    return true;
}

std::shared_ptr<const Converter> MakeConverter(const std::string& charset) {
    auto converter = std::make_shared<Converter>();
    converter->name = charset;
    if (IsUtf8(charset)) {
        converter->kind = Converter::Kind::kUtf8;
        return converter;
    }
    if (!IconvConversion(kNativeUtf16, charset).IsOpen() ||
        !IconvConversion(charset, kNativeUtf16).IsOpen()) {
        throw std::invalid_argument("Unknown character set: " + charset);
    }
    converter->kind = BuildSingleByteTables(*converter) ? Converter::Kind::kSingleByte
                                                        : Converter::Kind::kMultiByte;
    return converter;
}

std::string LocaleCharset() {
    const locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) {
        return "UTF-8";
    }
    const std::string charset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return charset.empty() || IsPlainAscii(charset) ? "UTF-8" : charset;
}

std::string CharsetOfCodePage(unsigned number) {
    if (number == 65001) {
        return "UTF-8";
    }
    if (number == 54936) {
        return "GB18030";
    }
    if (number > 28590 && number < 28606) {
        return "ISO-8859-" + std::to_string(number - 28590);
    }
    return "CP" + std::to_string(number);
}

std::string_view BytesOf(std::u16string_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)};
}

}  // namespace

const AnsiCodePage& AnsiCodePage::System() {
    static const AnsiCodePage page = [] {
        try {
            return AnsiCodePage(MakeConverter(LocaleCharset()));
        } catch (const std::invalid_argument&) {
            return AnsiCodePage(MakeConverter("UTF-8"));
        }
    }();
    return page;
}

AnsiCodePage AnsiCodePage::ForCodePage(unsigned number) {
    return AnsiCodePage(MakeConverter(CharsetOfCodePage(number)));
}

const std::string& AnsiCodePage::Name() const {
    return converter_->name;
}

bool AnsiCodePage::ConvertsAsUtf8() const {
    return converter_->kind == Converter::Kind::kUtf8;
}

bool AnsiCodePage::IsUtf8() const {
    return converter_->kind == Converter::Kind::kUtf8;
}

void AnsiCodePage::DecodeAppend(std::string_view bytes, std::u16string& out) const {
    switch (converter_->kind) {
        case Converter::Kind::kUtf8:
            AppendUtf8AsUtf16(bytes, out);
            return;
        case Converter::Kind::kSingleByte: {
            const size_t start = out.size();
            out.resize(start + bytes.size());
            char16_t* dest = out.data() + start;
            const auto& table = converter_->character_of_byte;
            for (size_t i = 0; i < bytes.size(); ++i) {
                dest[i] = table[static_cast<unsigned char>(bytes[i])];
            }
            return;
        }
        case Converter::Kind::kMultiByte:
            ConvertWithIconv(kNativeUtf16, converter_->name, bytes, 1, kReplacementCharacter, out);
            return;
    }
}

std::optional<size_t> AnsiCodePage::PieceEnd(std::string_view bytes) const {
    switch (converter_->kind) {
        case Converter::Kind::kUtf8:
            return Utf8PieceEnd(bytes);
        case Converter::Kind::kSingleByte:
            return bytes.size();
        case Converter::Kind::kMultiByte:
            break;
    }
    return std::nullopt;
}

bool AnsiCodePage::CanEncodeExactly(std::u16string_view text) const {
    switch (converter_->kind) {
        case Converter::Kind::kUtf8:
            return IsWellFormedUtf16(text);
        case Converter::Kind::kSingleByte: {
            const auto& table = converter_->byte_of_character;
            return std::all_of(text.begin(), text.end(), [&](char16_t c) { return table[c] >= 0; });
        }
        case Converter::Kind::kMultiByte:
            break;
    }
    // A character without a form in the set comes back as the substitute.
    return RoundTripsExactly(text);
}

bool AnsiCodePage::EncodeAppendChecked(std::u16string_view text, std::string& out) const {
    switch (converter_->kind) {
        case Converter::Kind::kUtf8:
            return AppendUtf16AsUtf8(text, out);
        case Converter::Kind::kSingleByte:
            return EncodeSingleBytes(*converter_, text, out);
        case Converter::Kind::kMultiByte:
            break;
    }
    return EncodeAppendRoundTripped(text, out);
}

void AnsiCodePage::EncodeAppend(std::u16string_view text, std::string& out) const {
    switch (converter_->kind) {
        case Converter::Kind::kUtf8:
            AppendUtf16AsUtf8(text, out);
            return;
        case Converter::Kind::kSingleByte:
            EncodeSingleBytes(*converter_, text, out);
            return;
        case Converter::Kind::kMultiByte:
            ConvertWithIconv(converter_->name, kNativeUtf16, BytesOf(text), sizeof(char16_t),
                             kSubstituteByte, out);
            return;
    }
}

}  // namespace quillmoor

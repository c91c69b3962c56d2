#include "pipeline/charset_declaration.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ascii.h"

namespace quillmoor {
namespace {

struct Label {
    std::u16string_view label;
    std::string_view encoding;
};

// The labels of the web's encodings, as browsers know them, in lower case.
constexpr Label kLabels[] = {
    {u"unicode-1-1-utf-8", "UTF-8"},
    {u"unicode11utf8", "UTF-8"},
    {u"unicode20utf8", "UTF-8"},
    {u"utf-8", "UTF-8"},
    {u"utf8", "UTF-8"},
    {u"x-unicode20utf8", "UTF-8"},
    {u"866", "IBM866"},
    {u"cp866", "IBM866"},
    {u"csibm866", "IBM866"},
    {u"ibm866", "IBM866"},
    {u"csisolatin2", "ISO-8859-2"},
    {u"iso-8859-2", "ISO-8859-2"},
    {u"iso-ir-101", "ISO-8859-2"},
    {u"iso8859-2", "ISO-8859-2"},
    {u"iso88592", "ISO-8859-2"},
    {u"iso_8859-2", "ISO-8859-2"},
    {u"iso_8859-2:1987", "ISO-8859-2"},
    {u"l2", "ISO-8859-2"},
    {u"latin2", "ISO-8859-2"},
    {u"csisolatin3", "ISO-8859-3"},
    {u"iso-8859-3", "ISO-8859-3"},
    {u"iso-ir-109", "ISO-8859-3"},
    {u"iso8859-3", "ISO-8859-3"},
    {u"iso88593", "ISO-8859-3"},
    {u"iso_8859-3", "ISO-8859-3"},
    {u"iso_8859-3:1988", "ISO-8859-3"},
    {u"l3", "ISO-8859-3"},
    {u"latin3", "ISO-8859-3"},
    {u"csisolatin4", "ISO-8859-4"},
    {u"iso-8859-4", "ISO-8859-4"},
    {u"iso-ir-110", "ISO-8859-4"},
    {u"iso8859-4", "ISO-8859-4"},
    {u"iso88594", "ISO-8859-4"},
    {u"iso_8859-4", "ISO-8859-4"},
    {u"iso_8859-4:1988", "ISO-8859-4"},
    {u"l4", "ISO-8859-4"},
    {u"latin4", "ISO-8859-4"},
    {u"csisolatincyrillic", "ISO-8859-5"},
    {u"cyrillic", "ISO-8859-5"},
    {u"iso-8859-5", "ISO-8859-5"},
    {u"iso-ir-144", "ISO-8859-5"},
    {u"iso8859-5", "ISO-8859-5"},
    {u"iso88595", "ISO-8859-5"},
    {u"iso_8859-5", "ISO-8859-5"},
    {u"iso_8859-5:1988", "ISO-8859-5"},
    {u"arabic", "ISO-8859-6"},
    {u"asmo-708", "ISO-8859-6"},
    {u"csiso88596e", "ISO-8859-6"},
    {u"csiso88596i", "ISO-8859-6"},
    {u"csisolatinarabic", "ISO-8859-6"},
    {u"ecma-114", "ISO-8859-6"},
    {u"iso-8859-6", "ISO-8859-6"},
    {u"iso-8859-6-e", "ISO-8859-6"},
    {u"iso-8859-6-i", "ISO-8859-6"},
    {u"iso-ir-127", "ISO-8859-6"},
    {u"iso8859-6", "ISO-8859-6"},
    {u"iso88596", "ISO-8859-6"},
    {u"iso_8859-6", "ISO-8859-6"},
    {u"iso_8859-6:1987", "ISO-8859-6"},
    {u"csisolatingreek", "ISO-8859-7"},
    {u"ecma-118", "ISO-8859-7"},
    {u"elot_928", "ISO-8859-7"},
    {u"greek", "ISO-8859-7"},
    {u"greek8", "ISO-8859-7"},
    {u"iso-8859-7", "ISO-8859-7"},
    {u"iso-ir-126", "ISO-8859-7"},
    {u"iso8859-7", "ISO-8859-7"},
    {u"iso88597", "ISO-8859-7"},
    {u"iso_8859-7", "ISO-8859-7"},
    {u"iso_8859-7:1987", "ISO-8859-7"},
    {u"sun_eu_greek", "ISO-8859-7"},
    {u"csiso88598e", "ISO-8859-8"},
    {u"csisolatinhebrew", "ISO-8859-8"},
    {u"hebrew", "ISO-8859-8"},
    {u"iso-8859-8", "ISO-8859-8"},
    {u"iso-8859-8-e", "ISO-8859-8"},
    {u"iso-ir-138", "ISO-8859-8"},
    {u"iso8859-8", "ISO-8859-8"},
    {u"iso88598", "ISO-8859-8"},
    {u"iso_8859-8", "ISO-8859-8"},
    {u"iso_8859-8:1988", "ISO-8859-8"},
    {u"visual", "ISO-8859-8"},
    {u"csiso88598i", "ISO-8859-8-I"},
    {u"iso-8859-8-i", "ISO-8859-8-I"},
    {u"logical", "ISO-8859-8-I"},
    {u"csisolatin6", "ISO-8859-10"},
    {u"iso-8859-10", "ISO-8859-10"},
    {u"iso-ir-157", "ISO-8859-10"},
    {u"iso8859-10", "ISO-8859-10"},
    {u"iso885910", "ISO-8859-10"},
    {u"l6", "ISO-8859-10"},
    {u"latin6", "ISO-8859-10"},
    {u"iso-8859-13", "ISO-8859-13"},
    {u"iso8859-13", "ISO-8859-13"},
    {u"iso885913", "ISO-8859-13"},
    {u"iso-8859-14", "ISO-8859-14"},
    {u"iso8859-14", "ISO-8859-14"},
    {u"iso885914", "ISO-8859-14"},
    {u"csisolatin9", "ISO-8859-15"},
    {u"iso-8859-15", "ISO-8859-15"},
    {u"iso8859-15", "ISO-8859-15"},
    {u"iso885915", "ISO-8859-15"},
    {u"iso_8859-15", "ISO-8859-15"},
    {u"l9", "ISO-8859-15"},
    {u"iso-8859-16", "ISO-8859-16"},
    {u"cskoi8r", "KOI8-R"},
    {u"koi", "KOI8-R"},
    {u"koi8", "KOI8-R"},
    {u"koi8-r", "KOI8-R"},
    {u"koi8_r", "KOI8-R"},
    {u"koi8-ru", "KOI8-U"},
    {u"koi8-u", "KOI8-U"},
    {u"csmacintosh", "macintosh"},
    {u"mac", "macintosh"},
    {u"macintosh", "macintosh"},
    {u"x-mac-roman", "macintosh"},
    {u"dos-874", "windows-874"},
    {u"iso-8859-11", "windows-874"},
    {u"iso8859-11", "windows-874"},
    {u"iso885911", "windows-874"},
    {u"tis-620", "windows-874"},
    {u"windows-874", "windows-874"},
    {u"cp1250", "windows-1250"},
    {u"windows-1250", "windows-1250"},
    {u"x-cp1250", "windows-1250"},
    {u"cp1251", "windows-1251"},
    {u"windows-1251", "windows-1251"},
    {u"x-cp1251", "windows-1251"},
    {u"ansi_x3.4-1968", "windows-1252"},
    {u"ascii", "windows-1252"},
    {u"cp1252", "windows-1252"},
    {u"cp819", "windows-1252"},
    {u"csisolatin1", "windows-1252"},
    {u"ibm819", "windows-1252"},
    {u"iso-8859-1", "windows-1252"},
    {u"iso-ir-100", "windows-1252"},
    {u"iso8859-1", "windows-1252"},
    {u"iso88591", "windows-1252"},
    {u"iso_8859-1", "windows-1252"},
    {u"iso_8859-1:1987", "windows-1252"},
    {u"l1", "windows-1252"},
    {u"latin1", "windows-1252"},
    {u"us-ascii", "windows-1252"},
    {u"windows-1252", "windows-1252"},
    {u"x-cp1252", "windows-1252"},
    {u"cp1253", "windows-1253"},
    {u"windows-1253", "windows-1253"},
    {u"x-cp1253", "windows-1253"},
    {u"cp1254", "windows-1254"},
    {u"csisolatin5", "windows-1254"},
    {u"iso-8859-9", "windows-1254"},
    {u"iso-ir-148", "windows-1254"},
    {u"iso8859-9", "windows-1254"},
    {u"iso88599", "windows-1254"},
    {u"iso_8859-9", "windows-1254"},
    {u"iso_8859-9:1989", "windows-1254"},
    {u"l5", "windows-1254"},
    {u"latin5", "windows-1254"},
    {u"windows-1254", "windows-1254"},
    {u"x-cp1254", "windows-1254"},
    {u"cp1255", "windows-1255"},
    {u"windows-1255", "windows-1255"},
    {u"x-cp1255", "windows-1255"},
    {u"cp1256", "windows-1256"},
    {u"windows-1256", "windows-1256"},
    {u"x-cp1256", "windows-1256"},
    {u"cp1257", "windows-1257"},
    {u"windows-1257", "windows-1257"},
    {u"x-cp1257", "windows-1257"},
    {u"cp1258", "windows-1258"},
    {u"windows-1258", "windows-1258"},
    {u"x-cp1258", "windows-1258"},
    {u"x-mac-cyrillic", "x-mac-cyrillic"},
    {u"x-mac-ukrainian", "x-mac-cyrillic"},
    {u"chinese", "GBK"},
    {u"csgb2312", "GBK"},
    {u"csiso58gb231280", "GBK"},
    {u"gb2312", "GBK"},
    {u"gb_2312", "GBK"},
    {u"gb_2312-80", "GBK"},
    {u"gbk", "GBK"},
    {u"iso-ir-58", "GBK"},
    {u"x-gbk", "GBK"},
    {u"gb18030", "gb18030"},
    {u"big5", "Big5"},
    {u"big5-hkscs", "Big5"},
    {u"cn-big5", "Big5"},
    {u"csbig5", "Big5"},
    {u"x-x-big5", "Big5"},
    {u"cseucpkdfmtjapanese", "EUC-JP"},
    {u"euc-jp", "EUC-JP"},
    {u"x-euc-jp", "EUC-JP"},
    {u"csiso2022jp", "ISO-2022-JP"},
    {u"iso-2022-jp", "ISO-2022-JP"},
    {u"csshiftjis", "Shift_JIS"},
    {u"ms932", "Shift_JIS"},
    {u"ms_kanji", "Shift_JIS"},
    {u"shift-jis", "Shift_JIS"},
    {u"shift_jis", "Shift_JIS"},
    {u"sjis", "Shift_JIS"},
    {u"windows-31j", "Shift_JIS"},
    {u"x-sjis", "Shift_JIS"},
    {u"cseuckr", "EUC-KR"},
    {u"csksc56011987", "EUC-KR"},
    {u"euc-kr", "EUC-KR"},
    {u"iso-ir-149", "EUC-KR"},
    {u"korean", "EUC-KR"},
    {u"ks_c_5601-1987", "EUC-KR"},
    {u"ks_c_5601-1989", "EUC-KR"},
    {u"ksc5601", "EUC-KR"},
    {u"ksc_5601", "EUC-KR"},
    {u"windows-949", "EUC-KR"},
    {u"csiso2022kr", "replacement"},
    {u"hz-gb-2312", "replacement"},
    {u"iso-2022-cn", "replacement"},
    {u"iso-2022-cn-ext", "replacement"},
    {u"iso-2022-kr", "replacement"},
    {u"replacement", "replacement"},
    {u"unicodefffe", "UTF-16BE"},
    {u"utf-16be", "UTF-16BE"},
    {u"csunicode", "UTF-16LE"},
    {u"iso-10646-ucs-2", "UTF-16LE"},
    {u"ucs-2", "UTF-16LE"},
    {u"unicode", "UTF-16LE"},
    {u"unicodefeff", "UTF-16LE"},
    {u"utf-16", "UTF-16LE"},
    {u"utf-16le", "UTF-16LE"},
    {u"x-user-defined", "x-user-defined"},
};

// The Windows code pages whose bytes are those of a web encoding.
struct CodePageEncoding {
    unsigned number;
    std::string_view encoding;
};
constexpr CodePageEncoding kCodePageEncodings[] = {
    {65001, "UTF-8"},
    {1250, "windows-1250"},
    {1251, "windows-1251"},
    {1252, "windows-1252"},
    {1253, "windows-1253"},
    {1254, "windows-1254"},
    {1255, "windows-1255"},
    {1256, "windows-1256"},
    {1257, "windows-1257"},
    {1258, "windows-1258"},
    {874, "windows-874"},
    {932, "Shift_JIS"},
    {936, "GBK"},
    {949, "EUC-KR"},
    {950, "Big5"},
    {866, "IBM866"},
    {54936, "gb18030"},
    {20866, "KOI8-R"},
    {21866, "KOI8-U"},
    {10000, "macintosh"},
    {10007, "x-mac-cyrillic"},
    {20932, "EUC-JP"},
    {50220, "ISO-2022-JP"},
    {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},
    {38598, "ISO-8859-8-I"},
    {28600, "ISO-8859-10"},
    {28603, "ISO-8859-13"},
    {28604, "ISO-8859-14"},
    {28605, "ISO-8859-15"},
    {28606, "ISO-8859-16"},
};

// Whether a start tag of this name (in lower case) keeps a browser looking for a declaration.
bool BelongsInHead(std::u16string_view name) {
    for (const std::u16string_view head : {u"html", u"head", u"meta", u"title", u"script",
                                           u"noscript", u"style", u"link", u"base", u"object"}) {
        if (name == head) {
            return true;
        }
    }
    return false;
}

// The label after "charset=" in the value of a content attribute (in lower case).
std::optional<std::u16string_view> CharsetInContent(std::u16string_view content) {
    for (std::size_t at = 0;;) {
        const std::size_t found = content.find(u"charset", at);
        if (found == std::u16string_view::npos) {
            return std::nullopt;
        }
        at = found + 7;
        while (at < content.size() && IsAsciiSpace(content[at])) {
            ++at;
        }
        if (at == content.size() || content[at] != u'=') {
            continue;
        }
        ++at;
        while (at < content.size() && IsAsciiSpace(content[at])) {
            ++at;
        }
        if (at == content.size()) {
            return std::nullopt;
        }
        if (content[at] == u'"' || content[at] == u'\'') {
            const std::size_t end = content.find(content[at], at + 1);
            if (end == std::u16string_view::npos) {
                return std::nullopt;
            }
            return content.substr(at + 1, end - at - 1);
        }
        std::size_t end = at;
        while (end < content.size() && !IsAsciiSpace(content[end]) && content[end] != u';') {
            ++end;
        }
        if (end == at) {
            return std::nullopt;
        }
        return content.substr(at, end - at);
    }
}

// Reads markup for a declaration as browsers do before they decode a page.
class DeclarationScanner {
  public:
    explicit DeclarationScanner(std::u16string_view markup) : text_(markup) {}

    std::optional<CharsetDeclaration> Scan() {
        bool in_head = true;
        while (at_ < text_.size()) {
            at_ = text_.find(u'<', at_);
            if (at_ == std::u16string_view::npos || (!in_head && at_ >= kDeclarationWindow)) {
                return std::nullopt;
            }
            if (Continues(u"<!--")) {
                const std::size_t end = text_.find(u"-->", at_ + 2);
                if (end == std::u16string_view::npos) {
                    return std::nullopt;
                }
                at_ = end + 3;
                continue;
            }
            if (Continues(u"<meta") && at_ + 5 < text_.size() &&
                (IsAsciiSpace(text_[at_ + 5]) || text_[at_ + 5] == u'/')) {
                at_ += 6;
                if (auto declaration = ReadMeta()) {
                    return declaration;
                }
                continue;
            }
            const bool end_tag = Continues(u"</");
            const std::size_t name_start = at_ + (end_tag ? 2 : 1);
            if (name_start < text_.size() && IsAsciiLetter(text_[name_start])) {
                at_ = name_start;
                std::u16string name;
                while (at_ < text_.size() && !IsAsciiSpace(text_[at_]) && text_[at_] != u'>' &&
                       text_[at_] != u'/') {
                    name += AsciiLower(text_[at_++]);
                }
                if (!BelongsInHead(name) || (end_tag && (name == u"head" || name == u"html"))) {
                    in_head = false;
                }
                while (NextAttribute()) {
                }
                continue;
            }
            if (Continues(u"<!") || Continues(u"</") || Continues(u"<?")) {
                at_ = text_.find(u'>', at_ + 1);
                continue;
            }
            ++at_;
        }
        return std::nullopt;
    }

  private:
    struct Attribute {
        std::u16string name;
        std::u16string value;  // in lower case
    };

    bool Continues(std::u16string_view lower) const {
        if (text_.size() - at_ < lower.size()) {
            return false;
        }
        for (std::size_t i = 0; i < lower.size(); ++i) {
            if (AsciiLower(text_[at_ + i]) != lower[i]) {
                return false;
            }
        }
        return true;
    }

    void SkipSpaces() {
        while (at_ < text_.size() && IsAsciiSpace(text_[at_])) {
            ++at_;
        }
    }

    // The next attribute of the tag, or nothing at its '>' or at the end of the markup.
    std::optional<Attribute> NextAttribute() {
        while (at_ < text_.size() && (IsAsciiSpace(text_[at_]) || text_[at_] == u'/')) {
            ++at_;
        }
        if (at_ >= text_.size() || text_[at_] == u'>') {
            return std::nullopt;
        }
        Attribute attribute;
        for (;;) {
            if (at_ >= text_.size()) {
                return std::nullopt;
            }
            const char16_t c = text_[at_];
            if (c == u'=' && !attribute.name.empty()) {
                break;
            }
            if (IsAsciiSpace(c)) {
                SkipSpaces();
                if (at_ >= text_.size()) {
                    return std::nullopt;
                }
                if (text_[at_] != u'=') {
                    return attribute;
                }
                break;
            }
            if (c == u'/' || c == u'>') {
                return attribute;
            }
            attribute.name += AsciiLower(c);
            ++at_;
        }
        ++at_;  // the '='
        SkipSpaces();
        if (at_ >= text_.size()) {
            return std::nullopt;
        }
        const char16_t first = text_[at_];
        if (first == u'"' || first == u'\'') {
            for (++at_; at_ < text_.size(); ++at_) {
                if (text_[at_] == first) {
                    ++at_;
                    return attribute;
                }
                attribute.value += AsciiLower(text_[at_]);
            }
            return std::nullopt;
        }
        while (at_ < text_.size() && !IsAsciiSpace(text_[at_]) && text_[at_] != u'>') {
            attribute.value += AsciiLower(text_[at_++]);
        }
        if (at_ >= text_.size()) {
            return std::nullopt;
        }
        return attribute;
    }

    // The declaration of the meta element whose attributes start at at_, if it makes one.
    std::optional<CharsetDeclaration> ReadMeta() {
        enum class Pragma { kUnknown, kNeeded, kNotNeeded };
        std::vector<std::u16string> names;
        bool got_pragma = false;
        Pragma need_pragma = Pragma::kUnknown;
        bool charset_seen = false;
        std::optional<std::string_view> charset;
        while (const std::optional<Attribute> attribute = NextAttribute()) {
            if (std::find(names.begin(), names.end(), attribute->name) != names.end()) {
                continue;
            }
            names.push_back(attribute->name);
            if (attribute->name == u"http-equiv") {
                got_pragma = got_pragma || attribute->value == u"content-type";
            } else if (attribute->name == u"content" && !charset_seen) {
                if (const auto label = CharsetInContent(attribute->value)) {
                    charset = WebEncodingOfLabel(*label);
                    charset_seen = true;
                    need_pragma = Pragma::kNeeded;
                }
            } else if (attribute->name == u"charset" && !charset_seen) {
                charset = WebEncodingOfLabel(attribute->value);
                charset_seen = true;
                need_pragma = Pragma::kNotNeeded;
            }
        }
        if (at_ >= text_.size() || need_pragma == Pragma::kUnknown ||
            (need_pragma == Pragma::kNeeded && !got_pragma) || !charset) {
            return std::nullopt;
        }
        ++at_;  // the '>'
        std::string_view encoding = *charset;
        if (encoding == "UTF-16LE" || encoding == "UTF-16BE") {
            encoding = "UTF-8";
        } else if (encoding == "x-user-defined") {
            encoding = "windows-1252";
        }
        return CharsetDeclaration{encoding, at_};
    }

    std::u16string_view text_;
    std::size_t at_ = 0;
};

std::string NormalizedName(std::string_view name) {
    std::string normalized;
    for (const char c : name) {
        if (c != '-' && c != '_') {
            normalized += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
    }
    return normalized;
}

}  // namespace

std::optional<std::string_view> WebEncodingOfLabel(std::u16string_view label) {
    while (!label.empty() && IsAsciiSpace(label.front())) {
        label.remove_prefix(1);
    }
    while (!label.empty() && IsAsciiSpace(label.back())) {
        label.remove_suffix(1);
    }
    std::u16string lower(label);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower<char16_t>);
    for (const Label& known : kLabels) {
        if (known.label == lower) {
            return known.encoding;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> WebEncodingOf(const AnsiCodePage& code_page) {
    if (code_page.IsUtf8()) {
        return "UTF-8";
    }
    // Windows names its code pages CP and the number; so do the converters elsewhere for
    // the code pages that have no other name.
    const std::string name = NormalizedName(code_page.Name());
    for (const std::string_view prefix : {"CP", "WINDOWS"}) {
        if (name.starts_with(prefix) && name.size() > prefix.size() &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            const unsigned number = static_cast<unsigned>(std::stoul(name.substr(prefix.size())));
            for (const CodePageEncoding& known : kCodePageEncodings) {
                if (known.number == number) {
                    return known.encoding;
                }
            }
            return std::nullopt;
        }
    }
    // Other sets by their names, unless the web reads that name as a larger set: the web's
    // iso-8859-1, iso-8859-9 and tis-620 are windows-1252, windows-1254 and windows-874,
    // which give the bytes 80 to 9F characters that the sets themselves do not.
    const std::u16string label(code_page.Name().begin(), code_page.Name().end());
    const std::optional<std::string_view> encoding = WebEncodingOfLabel(label);
    if (!encoding || *encoding == "windows-1252" || *encoding == "windows-1254" ||
        *encoding == "windows-874") {
        return std::nullopt;
    }
    return encoding;
}

std::optional<CharsetDeclaration> FindCharsetDeclaration(std::u16string_view markup) {
    return DeclarationScanner(markup).Scan();
}

}  // namespace quillmoor

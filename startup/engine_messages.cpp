#include "startup/engine_messages.h"

#include <cstdio>

#include "startup/engine_layout.h"

namespace quillmoor {
namespace {

constexpr std::u16string_view kBreak = u"\r\n";
constexpr std::u16string_view kUseSupportedBuild =
    u"Use only the engine build that this program is made for.";

std::u16string Trimmed(const std::u16string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && text[begin] <= u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] <= u' ') {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::u16string Paragraphs(std::initializer_list<std::u16string_view> parts) {
    std::u16string text;
    for (const std::u16string_view part : parts) {
        if (!text.empty()) {
            text.append(kBreak).append(kBreak);
        }
        text.append(part);
    }
    return text;
}

}  // namespace

std::u16string EngineMessages::MissingFiles(const std::u16string& missing_files) const {
    const std::u16string list = Trimmed(missing_files);
    if (list.empty()) {
        return u"CEF binaries missing !";
    }
    return Paragraphs({u"CEF binaries missing !", u"The missing files are :\r\n" + list});
}

std::u16string EngineMessages::WrongVersion(const std::optional<FileVersion>& found) const {
    if (!found) {
        return Paragraphs({u"Unsupported CEF version !", kUseSupportedBuild});
    }
    const std::u16string lines = u"Expected " + library_ + u" version : " +
                                 EngineLayout::kSupportedVersion.ToText() + u"\r\nFound " +
                                 library_ + u" version : " + found->ToText();
    return Paragraphs({u"Unsupported CEF version !", kUseSupportedBuild, lines});
}

std::u16string EngineMessages::WrongBitness(int bits) const {
    const std::u16string named = bits == 64 ? u"64" : u"32";
    return Paragraphs({u"Wrong CEF binaries !", u"Use the " + named + u" bit CEF binaries with " +
                                                    named + u" bits applications only."});
}

std::u16string EngineMessages::OtherProcessor() const {
    return Paragraphs({u"Unknown CEF binaries !", kUseSupportedBuild});
}

std::u16string EngineMessages::LoadFailed(uint32_t error_code) const {
    char code[16];
    std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(error_code));
    return Paragraphs(
        {u"Error loading " + library_, u"Error code : 0x" + std::u16string(code, code + 8)});
}

std::u16string EngineMessages::MissingEntryPoint() const {
    return WrongVersion(std::nullopt);
}

}  // namespace quillmoor

#include "startup/tcef_process_type.h"

#include <string_view>

#include "platform/ascii.h"

namespace quillmoor {

TCefProcessType ProcessTypeFromArguments(const std::vector<std::u16string>& arguments) {
    constexpr std::u16string_view kTypeSwitch = u"--type=";
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        const std::u16string_view argument = *it;
        if (argument.size() < kTypeSwitch.size() ||
            !EqualsIgnoringAsciiCase(argument.substr(0, kTypeSwitch.size()), kTypeSwitch)) {
            continue;
        }
        const std::u16string_view value = argument.substr(kTypeSwitch.size());
        if (EqualsIgnoringAsciiCase(value, u"renderer")) {
            return TCefProcessType::ptRenderer;
        }
        if (EqualsIgnoringAsciiCase(value, u"zygote")) {
            return TCefProcessType::ptZygote;
        }
        if (EqualsIgnoringAsciiCase(value, u"gpu-process")) {
            return TCefProcessType::ptGPU;
        }
        if (EqualsIgnoringAsciiCase(value, u"utility")) {
            return TCefProcessType::ptUtility;
        }
        return TCefProcessType::ptOther;
    }
    return TCefProcessType::ptBrowser;
}

}  // namespace quillmoor

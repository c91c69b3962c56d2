#include "platform/process_arguments.h"

namespace quillmoor {

ProcessArguments::ProcessArguments(std::vector<std::u16string> arguments) {
    if (!arguments.empty()) {
        arguments_.assign(arguments.begin() + 1, arguments.end());
    }
}

}  // namespace quillmoor

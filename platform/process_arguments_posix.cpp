#include "platform/process_arguments.h"
#include "platform/utf.h"

namespace quillmoor {

ProcessArguments::ProcessArguments(int argc, char** argv) : argc_(argc), argv_(argv) {
    for (int i = 1; i < argc; ++i) {
        arguments_.push_back(Utf8ToUtf16(argv[i]));
    }
}

}  // namespace quillmoor

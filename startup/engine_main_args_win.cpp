#include "startup/engine_main_args.h"

namespace quillmoor {

cef_main_args_t MakeEngineMainArgs(const ProcessArguments&) {
    return cef_main_args_t{GetModuleHandleW(nullptr)};
}

}  // namespace quillmoor

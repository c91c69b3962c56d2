#include "startup/engine_main_args.h"

namespace quillmoor {

cef_main_args_t MakeEngineMainArgs(const ProcessArguments& arguments) {
    return cef_main_args_t{arguments.argc(), arguments.argv()};
}

}  // namespace quillmoor

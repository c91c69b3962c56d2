// The main arguments that go to the engine with every call that starts it.
#pragma once

#include "engine/cef_base_types.h"
#include "platform/process_arguments.h"

namespace quillmoor {

// Windows: the executable's module instance. Elsewhere: argc and argv as main got them.
cef_main_args_t MakeEngineMainArgs(const ProcessArguments& arguments);

}  // namespace quillmoor

#include "platform/ole_runtime.h"

namespace quillmoor {

bool InitializeOle() {
    return true;
}

void UninitializeOle() {}

}  // namespace quillmoor

#include "platform/ole_runtime.h"

#include <windows.h>
// After windows.h, which it needs.
#include <ole2.h>

namespace quillmoor {

bool InitializeOle() {
    return SUCCEEDED(OleInitialize(nullptr));
}

void UninitializeOle() {
    OleUninitialize();
}

}  // namespace quillmoor

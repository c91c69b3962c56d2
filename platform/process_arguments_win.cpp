#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/process_arguments.h"

namespace quillmoor {

ProcessArguments::ProcessArguments(int argc, char** argv) : argc_(argc), argv_(argv) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) {
        return;
    }
    for (int i = 1; i < count; ++i) {
        arguments_.emplace_back(reinterpret_cast<const char16_t*>(words[i]));
    }
    LocalFree(words);
}

}  // namespace quillmoor

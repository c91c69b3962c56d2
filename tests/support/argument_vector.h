// Lists of texts in the form the system's process calls take them.
#pragma once

#include <string>
#include <vector>

namespace quillmoor::test_support {

// Pointers to the texts, in order, then a null pointer: the argv or envp of posix_spawn, or
// the engine's main arguments. The texts must stay in place while the pointers are used.
inline std::vector<char*> PointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace quillmoor::test_support

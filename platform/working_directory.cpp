#include "platform/working_directory.h"

namespace quillmoor {

std::u16string PathInCurrentDirectory(const std::u16string& name) {
#if defined(_WIN32)
    constexpr char16_t kSeparator = u'\\';
#else
    constexpr char16_t kSeparator = u'/';
#endif
    std::u16string path = CurrentDirectory();
    if (path.empty() || path.back() != kSeparator) {
        path += kSeparator;
    }
    return path + name;
}

}  // namespace quillmoor

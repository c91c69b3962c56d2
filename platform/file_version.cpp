#include "platform/file_version.h"

#include "platform/utf.h"

namespace quillmoor {

std::u16string FileVersion::ToText() const {
    return Utf8ToUtf16(std::to_string(major) + "." + std::to_string(minor) + "." +
                       std::to_string(release) + "." + std::to_string(build));
}

}  // namespace quillmoor

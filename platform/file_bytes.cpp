#include "platform/file_bytes.h"

#include "platform/read_only_file.h"

namespace quillmoor {

std::optional<std::string> ReadFileBytesAt(const std::u16string& path, uint64_t offset,
                                           size_t count) {
    ReadOnlyFile file(path);
    std::string bytes(count, '\0');
    size_t done = 0;
    while (done < count) {
        const size_t got = file.ReadSomeAt(offset + done, bytes.data() + done, count - done);
        if (got == 0) {
            return std::nullopt;
        }
        done += got;
    }
    return bytes;
}

}  // namespace quillmoor

// A file opened for reading at any offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/no_copy.h"

namespace quillmoor {

class ReadOnlyFile {
  public:
    // Throws FileSystemError when the file cannot be opened.
    explicit ReadOnlyFile(const std::u16string& path);
    ~ReadOnlyFile();
    QUILLMOOR_NO_COPY(ReadOnlyFile);

    // Reads up to count bytes at offset into buffer; returns how many were read, 0 at the
    // end of the file. Throws FileSystemError when the system cannot read.
    size_t ReadSomeAt(uint64_t offset, char* buffer, size_t count);

  private:
    std::u16string path_;
    intptr_t handle_;
};

}  // namespace quillmoor

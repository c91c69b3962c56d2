// The texts shown when the engine cannot be started. Line breaks are CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_version.h"

namespace quillmoor {

class EngineMessages {
  public:
    // library_name is the engine library's file name as the messages show it.
    explicit EngineMessages(std::u16string library_name) : library_(std::move(library_name)) {}

    // missing_files: the missing files, each followed by a line break (may be empty).
    std::u16string MissingFiles(const std::u16string& missing_files) const;
    // found: the version read from the library, when it could be read.
    std::u16string WrongVersion(const std::optional<FileVersion>& found) const;
    // The library is built for the other word size of the same processor family.
    std::u16string WrongBitness(int library_bits) const;
    std::u16string OtherProcessor() const;
    std::u16string LoadFailed(uint32_t error_code) const;
    std::u16string MissingEntryPoint() const;

  private:
    std::u16string library_;
};

}  // namespace quillmoor

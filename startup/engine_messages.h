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
    // The library does not fit this program's word size or processor: the message asks for
    // bits-bit binaries with bits-bit applications. The Windows check names the library's
    // word size (64 for a 64-bit library), the Linux check this program's own.
    std::u16string WrongBitness(int bits) const;
    std::u16string OtherProcessor() const;
    std::u16string LoadFailed(uint32_t error_code) const;
    std::u16string MissingEntryPoint() const;

  private:
    std::u16string library_;
};

}  // namespace quillmoor

// What the platforms' implementations of the file-system layer share: the reasons it gives
// in its errors where the system has no words of its own, and the limited read.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace quillmoor {

inline constexpr const char* kIsFolderReason = "it is a folder, not a file";
inline constexpr const char* kNotRegularFileReason = "it is not a regular file";

inline std::string TooLargeReason(std::uint64_t size, std::uint64_t max_bytes) {
    return "it holds " + std::to_string(size) + " bytes, more than the " +
           std::to_string(max_bytes) + " bytes that can be read";
}

// The part of ReadFileContent that is the same on every system: the limit, the receiver and
// the block that each read of the system fills.
class LimitedFileRead {
  public:
    // Throws FileSystemError when size (the file's size when it was opened) is over
    // max_bytes; otherwise tells receiver the size. Small files get a block of their size;
    // a file that grows is read on all the same.
    LimitedFileRead(const std::u16string& path, std::uint64_t size, std::uint64_t max_bytes,
                    std::size_t largest_block, FileContentReceiver& receiver)
        : path_(path),
          max_bytes_(max_bytes),
          receiver_(receiver),
          block_bytes_(static_cast<std::size_t>(std::clamp<std::uint64_t>(
              size, std::min<std::size_t>(4096, largest_block), largest_block))),
          block_(std::make_unique_for_overwrite<char[]>(block_bytes_)) {
        if (size > max_bytes) {
            throw FileSystemError("Cannot read the file", path, TooLargeReason(size, max_bytes));
        }
        receiver.Expect(size);
    }

    char* Block() const { return block_.get(); }
    std::size_t BlockBytes() const { return block_bytes_; }

    // Hands the first count bytes of the block to the receiver. Throws FileSystemError when
    // the file has grown past the limit.
    void Take(std::size_t count) {
        used_ += count;
        if (used_ > max_bytes_) {
            throw FileSystemError("Cannot read the file", path_, TooLargeReason(used_, max_bytes_));
        }
        receiver_.Take({block_.get(), count});
    }

  private:
    const std::u16string& path_;
    const std::uint64_t max_bytes_;
    FileContentReceiver& receiver_;
    const std::size_t block_bytes_;
    const std::unique_ptr<char[]> block_;
    std::uint64_t used_ = 0;
};

// Fills a file just created (open in file) through a Sink over it, then closes it. When
// filling throws, or closing fails, removes the file with remove(). Rethrows what filling
// threw; returns the system's error code of closing (0 when it closed cleanly).
template <class Sink, class File, class Remove>
auto FillAndClose(File& file, std::u16string_view reported_path,
                  const FileContentWriter& write_content, Remove remove) {
    try {
        Sink sink(file.Get(), reported_path);
        write_content(sink);
    } catch (...) {
        file.Close();
        remove();
        throw;
    }
    const auto error = file.Close();
    if (error != 0) {
        remove();
    }
    return error;
}

// The name of the temporary file that ReplaceFileContent writes before renaming it.
inline std::string TemporaryFileName(unsigned long process_id, unsigned attempt) {
    return ".quillmoor-" + std::to_string(process_id) + "-" + std::to_string(attempt) + ".tmp";
}

// Temporary files are looked for under this many names before giving up.
inline constexpr unsigned kTemporaryNameAttempts = 1000;

// Creates and fills a temporary file under the first name that is free: name_of(attempt)
// gives the name of each attempt (1, 2, ...), create_and_fill(name) creates and fills a file
// of that name, false when something exists there. The name used; nothing when none of the
// kTemporaryNameAttempts names was free.
template <class NameOf, class CreateAndFill>
auto FillTemporaryFile(NameOf name_of, CreateAndFill create_and_fill)
    -> std::optional<decltype(name_of(1u))> {
    for (unsigned attempt = 1; attempt <= kTemporaryNameAttempts; ++attempt) {
        auto name = name_of(attempt);
        if (create_and_fill(name)) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace quillmoor

// The message of a FileSystemError that a test expects.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"

namespace quillmoor::test_support {

// The message of the FileSystemError that action throws; fails the test when it throws none.
template <class Action>
std::string FileSystemErrorOf(Action action) {
    try {
        action();
    } catch (const FileSystemError& error) {
        return error.what();
    }
    ADD_FAILURE() << "no FileSystemError";
    return "";
}

}  // namespace quillmoor::test_support

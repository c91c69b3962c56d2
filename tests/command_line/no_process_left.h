// The check at the end of each command-line test: no Chromium of its runs is left.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/bridge/process_table.h"

namespace quillmoor::test_support {

// Expects that no process carries marker (the switch every Chromium of a test's runs gets)
// within a few seconds; kills those that do.
inline void ExpectNoProcessLeftWith(const std::string& marker) {
    const bool ended = bridge_test::WaitUntilNoProcessHas(marker, std::chrono::seconds(10));
    if (!ended) {
        bridge_test::KillProcessesWith(marker);
    }
    EXPECT_TRUE(ended) << "a Chromium of the command line was left running";
}

}  // namespace quillmoor::test_support

// A test that runs the engine library against the real Chromium on PATH: the engine is
// initialised as the program initialises it, with the program's own switches mapping the
// test host names a.test and b.test to 127.0.0.1, and shut down at the end, after which
// no Chromium process of the test may remain.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <string>

#include "engine/engine_object.h"
#include "tests/bridge/engine_library.h"
#include "tests/bridge/engine_test_objects.h"

namespace quillmoor::bridge_test {

using namespace std::chrono_literals;

class ChromiumEngineTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates a browser of the program's view size for client, waits until it is created
    // and has loaded about:blank, and returns it (released by the fixture).
    cef_browser_t* OpenBrowser(TestClient& client);
    // Opens a browser as OpenBrowser does and starts loading address in it.
    cef_browser_t* OpenBrowserAt(TestClient& client, const std::string& address);
    // Shuts the engine down now (TearDown then only checks).
    void ShutDown();

    const EngineLibrary* library_ = nullptr;
    EngineObjectPtr<TestApp> app_;
    pid_t chromium_ = 0;
    std::string profile_;

  private:
    std::vector<cef_browser_t*> opened_;
    bool shut_down_ = false;
};

}  // namespace quillmoor::bridge_test

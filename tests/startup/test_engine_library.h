// A variant of the test engine library as the program meets it: in the working directory
// the program starts in, under the engine library's own name.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/no_copy.h"
#include "startup/engine_layout.h"
#include "tests/startup/fixture_folder.h"
#include "tests/startup/test_engine/test_engine_control.h"

namespace quillmoor::test_support {

class TestEngineLibrary {
  public:
    // The variant built into built_folder. On Linux the program starts in that folder. On
    // Windows the library is copied as libcef.dll into a fresh folder that holds every file
    // of the engine distribution, so that the whole start-up runs for real; at the end every
    // reference to the library is given back (the program keeps it loaded for good, and the
    // system would hand the same module to the next load by name) and the folder is removed.
    explicit TestEngineLibrary(const std::string& built_folder);
    ~TestEngineLibrary();
    QUILLMOOR_NO_COPY(TestEngineLibrary);

    // The working directory to start the program in.
    const std::filesystem::path& folder() const { return folder_; }
    // The library's control panel; loads the library the first time, as the program would
    // find it.
    test_engine::Control& control();

    // The engine layout of this system, as the program uses it.
    static EngineLayout Layout() { return EngineLayout::ForThisSystem(); }
#if defined(_WIN32)
    // True while a module named libcef.dll is loaded in this process: a load by that bare
    // name would get it, from whatever folder it came.
    static bool EngineLibraryLoaded();
#endif

  private:
    std::filesystem::path LibraryPath() const;

    std::unique_ptr<FixtureFolder> copy_;  // the folder made on Windows
    std::filesystem::path folder_;
    void* library_ = nullptr;
    test_engine::Control* control_ = nullptr;
};

}  // namespace quillmoor::test_support

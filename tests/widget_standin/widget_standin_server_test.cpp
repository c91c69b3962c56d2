// The stand-in helper's pace: the words it hands the script, and the mode file it writes
// while the stand-in runs. What the script makes of them is tested beside it
// (widget_standin_test.py, pace_chromium_test.py).
#include "tests/widget_standin/widget_standin_server.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/test_folder.h"

namespace quillmoor::test_support {
namespace {

TEST(WidgetPaceTest, TheDefaultPaceHasNoWords) {
    EXPECT_EQ("", WidgetPace{}.Words());
}

TEST(WidgetPaceTest, OnlyValuesOtherThanTheDefaultsAreWritten) {
    EXPECT_EQ("menu_delay_ms=1500 batches=3 batch_gap_ms=1000 frames_delay_ms=1000",
              WidgetStandinServer::kSlowPace.Words());
    EXPECT_EQ("ignored_clicks=2", WidgetPace{.ignored_clicks = 2}.Words());
    EXPECT_EQ("batches=2", WidgetPace{.batches = 2}.Words());
    EXPECT_EQ("", WidgetPace{.batches = 1}.Words());
}

TEST(WidgetPaceTest, ValuesOutOfRangeAreRefused) {
    EXPECT_THROW(WidgetPace{.batches = 0}.Words(), std::invalid_argument);
    EXPECT_THROW(WidgetPace{.menu_delay_ms = -1}.Words(), std::invalid_argument);
    EXPECT_THROW(WidgetPace{.ignored_clicks = -1}.Words(), std::invalid_argument);
    EXPECT_THROW(WidgetPace{.batch_gap_ms = 3600 * 1000 + 1}.Words(), std::invalid_argument);
    EXPECT_EQ("frames_delay_ms=3600000", WidgetPace{.frames_delay_ms = 3600 * 1000}.Words());
}

// The stand-in takes a pace at start (it ends at once on a pace it cannot read, which the
// constructor reports), and the mode file gets the mode and the pace's words.
TEST(WidgetStandinServerTest, PaceAtStartAndInTheModeFile) {
    TestFolder folder;
    const std::filesystem::path work = folder.Root() / "standin";
    WidgetStandinServer standin(work, WidgetStandinServer::kCurrentGeneration,
                                WidgetStandinServer::kSlowPace);
    EXPECT_GT(standin.Port(), 0);
    EXPECT_FALSE(std::filesystem::exists(work / "standin.mode"));

    standin.SetMode(WidgetStandinServer::kFirstGeneration, WidgetPace{.ignored_clicks = 1});
    EXPECT_EQ("standin ignored_clicks=1", ReadBytes(work / "standin.mode"));
    standin.SetPace(WidgetStandinServer::kSlowPace);
    EXPECT_EQ("standin menu_delay_ms=1500 batches=3 batch_gap_ms=1000 frames_delay_ms=1000",
              ReadBytes(work / "standin.mode"));
    standin.SetMode(WidgetStandinServer::kUntranslating);
    EXPECT_EQ("untranslating", ReadBytes(work / "standin.mode"));
    // A pace out of range leaves the file as it was.
    EXPECT_THROW(standin.SetPace(WidgetPace{.batches = 0}), std::invalid_argument);
    EXPECT_EQ("untranslating", ReadBytes(work / "standin.mode"));
}

TEST(WidgetStandinServerTest, APaceOutOfRangeIsRefusedBeforeStart) {
    TestFolder folder;
    EXPECT_THROW(
        WidgetStandinServer(folder.Root() / "standin", "standin", WidgetPace{.batches = 0}),
        std::invalid_argument);
}

}  // namespace
}  // namespace quillmoor::test_support

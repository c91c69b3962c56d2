#include "pipeline/main_window_layout.h"

#include <gtest/gtest.h>

#include "pipeline/language_catalogue.h"

namespace quillmoor {
namespace {

TEST(MainWindowLayout, ButtonsOfTheDesignedWindow) {
    const int gap = ButtonGap(80);
    EXPECT_EQ(gap, 20);
    EXPECT_EQ(JobButtonWidth(815), 203);

    const FileButtonLefts files = PlaceFileButtons(805, {92, 92, 92, 92, 92, 92, 92}, gap);
    EXPECT_EQ(files.add_files, 76);
    EXPECT_EQ(files.add_folder, 76);
    EXPECT_EQ(files.select_all, 188);
    EXPECT_EQ(files.select_none, 300);
    EXPECT_EQ(files.inverse, 412);
    EXPECT_EQ(files.delete_selected, 524);
    EXPECT_EQ(files.delete_all, 636);

    const LanguageButtonLefts languages = PlaceLanguageButtons(805, {80, 80, 80}, gap);
    EXPECT_EQ(languages.select_all, 262);
    EXPECT_EQ(languages.select_none, 362);
    EXPECT_EQ(languages.inverse, 462);
}

TEST(MainWindowLayout, ButtonsReadTheWidthsOfTheirNeighbours) {
    // Different widths show which width each step reads; an odd gap shows where it is halved.
    const FileButtonLefts files = PlaceFileButtons(501, {10, 20, 30, 40, 50, 60, 70}, 7);
    EXPECT_EQ(files.select_none, 250 - 40 - 3);
    EXPECT_EQ(files.select_all, files.select_none - 30 - 7);
    EXPECT_EQ(files.add_folder, files.select_all - 20 - 7);
    EXPECT_EQ(files.add_files, files.add_folder);
    EXPECT_EQ(files.inverse, files.select_none + 40 + 7);
    EXPECT_EQ(files.delete_selected, files.inverse + 50 + 7);
    EXPECT_EQ(files.delete_all, files.delete_selected + 60 + 7);

    const LanguageButtonLefts languages = PlaceLanguageButtons(301, {11, 21, 31}, 5);
    EXPECT_EQ(languages.select_none, 140);
    EXPECT_EQ(languages.select_all, 140 - 11 - 5);
    EXPECT_EQ(languages.inverse, 140 + 21 + 5);

    // A window narrower than the rows: places run negative, truncated toward zero.
    EXPECT_EQ(PlaceFileButtons(0, {92, 92, 92, 92, 92, 92, 92}, 20).select_none, -102);
    EXPECT_EQ(PlaceLanguageButtons(1, {80, 80, 80}, 20).select_none, -39);
    EXPECT_EQ(JobButtonWidth(3), 0);
}

TEST(MainWindowLayout, LanguageGridForScrollBoxWidths) {
    const std::size_t last = LanguageNames().size() - 1;
    ASSERT_EQ(last, 103u);
    const struct {
        int width;
        int columns;
        int margin;
        BoxPlace first;
        BoxPlace last;
    } cases[] = {
        {803, 3, 101, {101, 8}, {301, 960}},   // the designed window: Zulu alone in row 35
        {1000, 4, 100, {100, 8}, {700, 708}},  // 26 full rows
        {400, 1, 100, {100, 8}, {100, 2892}},  // 400 to 599: one centred column, 104 rows
        {599, 1, 199, {199, 8}, {199, 2892}},
        {600, 2, 100, {100, 8}, {300, 1436}},
        // Narrower than 400: one column kept, centred while a box fits, else at the edge.
        {399, 1, 99, {99, 8}, {99, 2892}},
        {200, 1, 0, {0, 8}, {0, 2892}},
        {150, 1, 0, {0, 8}, {0, 2892}},
        {0, 1, 0, {0, 8}, {0, 2892}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        const LanguageGrid grid = LanguageGridFor(c.width);
        EXPECT_EQ(grid.columns, c.columns);
        EXPECT_EQ(grid.margin, c.margin);
        EXPECT_EQ(LanguageBoxPlace(grid, 0).left, c.first.left);
        EXPECT_EQ(LanguageBoxPlace(grid, 0).top, c.first.top);
        EXPECT_EQ(LanguageBoxPlace(grid, last).left, c.last.left);
        EXPECT_EQ(LanguageBoxPlace(grid, last).top, c.last.top);
    }
    // The designed grid, row by row from the start.
    const LanguageGrid designed = LanguageGridFor(803);
    EXPECT_EQ(LanguageBoxPlace(designed, 1).left, 301);
    EXPECT_EQ(LanguageBoxPlace(designed, 2).left, 501);
    EXPECT_EQ(LanguageBoxPlace(designed, 3).left, 101);
    EXPECT_EQ(LanguageBoxPlace(designed, 3).top, 36);
    EXPECT_EQ(LanguageBoxPlace(designed, 102).left, 101);
    EXPECT_EQ(LanguageBoxPlace(designed, 102).top, 960);
}

}  // namespace
}  // namespace quillmoor

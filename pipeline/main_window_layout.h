// The arithmetic that places the main window's buttons and language check boxes when the
// window changes size. Every division truncates toward zero.
#pragma once

#include <cstddef>

namespace quillmoor {

// The gap between neighbouring buttons of a row: a quarter of the middle language
// button's width (20 for its width of 80). The same gap serves both tabs.
int ButtonGap(int select_none_language_width);

// The width of each of the three job buttons: a quarter of their panel's width.
int JobButtonWidth(int job_panel_width);

// The language tab's row of three buttons, centred on its panel: one number per button,
// their widths going in and their left edges coming out.
struct LanguageButtonRow {
    int select_all = 0;   // Button9
    int select_none = 0;  // Button10
    int inverse = 0;      // Button11
};
using LanguageButtonWidths = LanguageButtonRow;
using LanguageButtonLefts = LanguageButtonRow;
LanguageButtonLefts PlaceLanguageButtons(int panel_width, const LanguageButtonWidths& widths,
                                         int gap);

// The file tab's row, placed about the middle of its panel. The visible Add File(s) button
// takes the place of the hidden Add Folder button, so no empty slot shows.
// One number per button, as for the language row.
struct FileButtonRow {
    int add_files = 0;        // Button7
    int add_folder = 0;       // Button1 (hidden)
    int select_all = 0;       // Button3
    int select_none = 0;      // Button8
    int inverse = 0;          // Button4
    int delete_selected = 0;  // Button5
    int delete_all = 0;       // Button6
};
using FileButtonWidths = FileButtonRow;
using FileButtonLefts = FileButtonRow;
FileButtonLefts PlaceFileButtons(int panel_width, const FileButtonWidths& widths, int gap);

// The language grid: fixed-width columns centred in the scroll box, filled row by row in
// catalogue order.
inline constexpr int kLanguageColumnWidth = 200;
inline constexpr int kLanguageRowHeight = 28;
inline constexpr int kLanguageGridTop = 8;

struct LanguageGrid {
    int columns = 1;
    int margin = 0;  // the left edge of the first column
};

// The grid for a scroll box of the given full width (border and scroll bar included):
// one column fewer than the width could hold, centred. A box narrower than 400 pixels
// keeps one column, centred while it fits and flush with the left edge when it does not.
LanguageGrid LanguageGridFor(int scroll_box_width);

struct BoxPlace {
    int left = 0;
    int top = 0;
};
BoxPlace LanguageBoxPlace(const LanguageGrid& grid, std::size_t index);

}  // namespace quillmoor

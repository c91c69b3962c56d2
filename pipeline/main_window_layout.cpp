#include "pipeline/main_window_layout.h"

#include <algorithm>

namespace quillmoor {

int ButtonGap(int select_none_language_width) {
    return select_none_language_width / 4;
}

int JobButtonWidth(int job_panel_width) {
    return job_panel_width / 4;
}

LanguageButtonLefts PlaceLanguageButtons(int panel_width, const LanguageButtonWidths& widths,
                                         int gap) {
    LanguageButtonLefts lefts;
    lefts.select_none = (panel_width - widths.select_none) / 2;
    lefts.select_all = lefts.select_none - widths.select_all - gap;
    lefts.inverse = lefts.select_none + widths.select_none + gap;
    return lefts;
}

FileButtonLefts PlaceFileButtons(int panel_width, const FileButtonWidths& widths, int gap) {
    // Each step reads the places that the steps before it have set.
    FileButtonLefts lefts;
    lefts.select_none = panel_width / 2 - widths.select_none - gap / 2;
    lefts.select_all = lefts.select_none - widths.select_all - gap;
    lefts.add_folder = lefts.select_all - widths.add_folder - gap;
    lefts.add_files = lefts.add_folder;
    lefts.inverse = lefts.select_none + widths.select_none + gap;
    lefts.delete_selected = lefts.inverse + widths.inverse + gap;
    lefts.delete_all = lefts.delete_selected + widths.delete_selected + gap;
    return lefts;
}

LanguageGrid LanguageGridFor(int scroll_box_width) {
    LanguageGrid grid;
    grid.columns = std::max(1, (scroll_box_width - kLanguageColumnWidth) / kLanguageColumnWidth);
    grid.margin = std::max(0, (scroll_box_width - grid.columns * kLanguageColumnWidth) / 2);
    return grid;
}

BoxPlace LanguageBoxPlace(const LanguageGrid& grid, std::size_t index) {
    const auto columns = static_cast<std::size_t>(grid.columns);
    BoxPlace place;
    place.left = static_cast<int>(index % columns) * kLanguageColumnWidth + grid.margin;
    place.top = static_cast<int>(index / columns) * kLanguageRowHeight + kLanguageGridTop;
    return place;
}

}  // namespace quillmoor

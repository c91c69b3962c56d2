// What the Add File(s) command offers and what it makes of the files chosen: the open
// dialog's filter, turned into the file dialog's own syntax, and one file list row for each
// chosen path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pipeline/path_names.h"

namespace quillmoor {

// The filter of the open dialog, as pairs of caption and pattern list between bars. The
// first choice is in force when the dialog opens.
inline constexpr std::u16string_view kSourceFileFilter =
    u"HTML(*.html;*.htm)|*.html;*.htm|TXT(*.txt)|*.txt|HTML(*.html;*.htm) TXT(*.txt)|"
    u"*.html;*.htm;*.txt|*.*|*.*|";

struct FilterChoice {
    std::u16string caption;
    std::vector<std::u16string> patterns;
};

// The choices of a bar-separated filter, in order. A trailing bar ends the text; a caption
// without its pattern list is dropped.
std::vector<FilterChoice> ParseBarFilter(std::u16string_view filter);

// One choice in the file dialog's syntax: the caption, a blank and the patterns between
// parentheses, separated by blanks ("TXT(*.txt) (*.txt)"). The pattern "*.*" stands for
// every file, as it does on Windows, and becomes "*", which also takes files without a dot.
std::u16string DialogFilterEntry(const FilterChoice& choice);

// Every choice in the file dialog's syntax, separated by ";;".
std::u16string DialogFilterText(const std::vector<FilterChoice>& choices);

// One row of the file list: the file name with its extension, and the folder up to and
// including the last separator (C:\site\index.html: index.html and C:\site\; D:\a.html:
// a.html and D:\; /a.html: a.html and /). The folder text followed by the file text gives
// the path back.
struct FileListRow {
    std::u16string file;
    std::u16string path;
};
FileListRow FileListRowFor(std::u16string_view full_path, PathStyle style = kNativePathStyle);

}  // namespace quillmoor

// The open dialog's texts in the form GetOpenFileNameW uses: the filter going in and the
// chosen files coming out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pipeline/source_file_choice.h"

namespace quillmoor::win {

// The filter as the open dialog takes it: for each choice its caption, a NUL, its patterns
// joined by ";" and a NUL; one more NUL closes the list.
std::u16string OpenDialogFilter(const std::vector<FilterChoice>& choices);

// The full paths in the dialog's answer buffer (several files selectable, explorer style),
// in the dialog's order. One file comes as its full path; several come as the folder
// followed by each name, every text ended by a NUL and the list by one more NUL. A buffer
// that starts with a NUL holds nothing.
std::vector<std::u16string> OpenDialogPaths(std::u16string_view answer);

}  // namespace quillmoor::win

// Pictures of a window as it shows on the screen, saved as BMP files: the screenshots of the
// tests and of a scripted session.
#pragma once

#include <windows.h>

#include <string>

namespace quillmoor::win {

// Redraws window with its children, then copies its place on the screen, frame included,
// into a 24-bit BMP file at path (replaced). The window must be shown and not covered.
// False when the picture could not be taken or written. GUI thread.
bool SaveWindowPicture(HWND window, const std::u16string& path);

}  // namespace quillmoor::win

// The font of the program's windows: Tahoma at 8 points where the system has it.
#pragma once

#include <QFont>

namespace quillmoor {

// Tahoma 8 pt. Where no Tahoma is installed, Wine's metric-compatible Tahoma is loaded from
// Debian's fonts-wine package when it is there; otherwise DejaVu Sans (fonts-dejavu-core),
// then the toolkit's default family, at the same size.
QFont WindowFont();

// Makes WindowFont the font of every window of the application. Set on the application
// rather than on each window: under an application style sheet a window's own font does
// not reach the widgets inside it.
void UseWindowFont();

}  // namespace quillmoor

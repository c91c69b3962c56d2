// The program's window theme, "Windows10 SlateGray": slate-grey surfaces, light text and
// flat controls, reproduced with the Fusion style, a palette and a style sheet of our own.
// Set on the application, so every window, present and later, is drawn in it.
#pragma once

#include <QString>

class QApplication;

namespace quillmoor {

class UserDialogs;

inline constexpr char kWindowThemeName[] = "Windows10 SlateGray";

// The style sheet that the program carries.
inline constexpr char kWindowThemeSheet[] = ":/quillmoor/theme/windows10_slategray.qss";

enum class ThemeResult { kApplied, kNotApplied };

// Applies the theme from the style sheet at sheet_path. When it cannot be applied, the
// reason is shown in an error box and the application keeps the toolkit's default look.
ThemeResult ApplyWindowTheme(QApplication& application, UserDialogs& dialogs,
                             const QString& sheet_path = QString::fromLatin1(kWindowThemeSheet));

}  // namespace quillmoor

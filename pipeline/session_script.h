// A scripted session of the window program: what a demonstration or a test has the program
// do in place of a person. The program follows one when the environment variable
// QUILLMOOR_SESSION_SCRIPT names its file; it takes no command-line argument for it. Both
// window front ends (Qt and Win32) read the same script words.
//
// One step a line, in order; blank lines and lines starting with "#" are skipped:
//   log PATH              where the dialogs' texts and answers are written, line by line
//   answer ok|cancel|yes|no
//                         the answer to the next question not yet answered (questions
//                         without a scripted answer get Cancel or No)
//   add PATH              File, Add File(s), the open dialog answering with PATH
//   tick CODE             ticks the language box of the language code
//   screenshot PATH       saves a picture of the main window now
//   screenshot-after MS PATH
//                         saves one MS milliseconds from now (also while a batch runs)
//   press-after MS pause|cancel
//                         presses Pause (or Continue, the same button) or Cancel MS
//                         milliseconds from now (also while a batch runs)
//   translate             presses Translate; the next step comes when its handler returns
//   close                 closes the main window
//   exit                  File, Exit
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmoor {

struct SessionStep {
    enum class Kind {
        kLog,
        kAnswer,
        kAdd,
        kTick,
        kScreenshot,
        kScreenshotAfter,
        kPressAfter,
        kTranslate,
        kClose,
        kExit
    };
    Kind kind;
    std::u16string text;   // the path, the code, the answer or the button (pause, cancel)
    int milliseconds = 0;  // kScreenshotAfter, kPressAfter
};

// The steps of script, or the reason why it is not one (then no step is given).
struct SessionScript {
    std::vector<SessionStep> steps;
    std::u16string problem;  // "line N: ..."; empty when the script is sound
};

// Line breaks are LF or CR LF; blanks and tabs around a line and its value are dropped.
SessionScript ParseSessionScript(std::u16string_view script);

// The environment variable that names the script file.
inline constexpr char kSessionScriptVariable[] = "QUILLMOOR_SESSION_SCRIPT";

}  // namespace quillmoor

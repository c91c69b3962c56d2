// Whether a page-language of the plan still has to be done: a run that was stopped goes on
// where it stopped.
#pragma once

#include "cli/cli_options.h"
#include "cli/run_plan.h"

namespace quillmoor::cli {

enum class ResumeState { kToDo, kDone };

// kDone when redo is kResume and the task's result file exists, was last written strictly
// later than its source and than everything in the source's resource folder that the store
// copies (its folders too, so that a removed file counts), and holds a page that the widget
// marked as translated (a page stored "not translated" is done again). Anything that cannot be read
// or compared counts as to do. The result store replaces a page whole, so a result file is never
// cut off.
ResumeState ResumeStateOf(const PageTask& task, RedoPolicy redo);

}  // namespace quillmoor::cli

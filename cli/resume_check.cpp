#include "cli/resume_check.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "pipeline/current_widget_traces.h"
#include "pipeline/page_text.h"
#include "platform/file_system.h"

namespace quillmoor::cli {

namespace fs = std::filesystem;

ResumeState ResumeStateOf(const PageTask& task, RedoPolicy redo) {
    if (redo == RedoPolicy::kForce || !FileExists(task.result_path)) {
        return ResumeState::kToDo;
    }
    std::error_code error;
    const fs::file_time_type result_time = fs::last_write_time(fs::path(task.result_path), error);
    if (error) {
        return ResumeState::kToDo;
    }
    const fs::file_time_type source_time =
        fs::last_write_time(fs::path(task.path_text + task.file_text), error);
    if (error || !(result_time > source_time)) {
        return ResumeState::kToDo;
    }
    try {
        const SourcePage stored = ReadSourcePage(task.result_path);
        return CarriesTranslationMark(stored.text) ? ResumeState::kDone : ResumeState::kToDo;
    } catch (const std::exception&) {
        return ResumeState::kToDo;
    }
}

}  // namespace quillmoor::cli

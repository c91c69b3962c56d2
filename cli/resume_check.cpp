#include "cli/resume_check.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "pipeline/current_widget_traces.h"
#include "pipeline/page_text.h"
#include "pipeline/source_names.h"
#include "platform/file_system.h"

namespace quillmoor::cli {

namespace fs = std::filesystem;

namespace {

// True when path is folder or lies below it (both canonical).
bool Holds(const fs::path& folder, const fs::path& path) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first ==
           folder.end();
}

// What the result store copies of a resource folder, seen from its times: the folders and
// files below it that stay inside the page's folder, links followed, a folder that leads
// back into one on its way down passed over as the store passes it over.
class ResourceTimes {
  public:
    explicit ResourceTimes(fs::path page_folder) : page_folder_(std::move(page_folder)) {}

    // Moves newest on to the newest write time of path and of all below it. False when
    // something cannot be read: the store would fail on it, so the page is to do.
    bool Take(const fs::path& path, fs::file_time_type& newest) {
        std::error_code error;
        const fs::path real = fs::canonical(path, error);
        if (error) {
            return false;
        }
        if (!Holds(page_folder_, real) ||
            std::find(way_down_.begin(), way_down_.end(), real) != way_down_.end()) {
            return true;  // passed over by the store
        }
        const fs::file_time_type time = fs::last_write_time(real, error);
        if (error) {
            return false;
        }
        newest = std::max(newest, time);
        if (!fs::is_directory(real, error)) {
            return !error;
        }
        way_down_.push_back(real);
        for (fs::directory_iterator entry(real, error), end; !error && entry != end;
             entry.increment(error)) {
            if (!Take(entry->path(), newest)) {
                return false;
            }
        }
        way_down_.pop_back();
        return !error;
    }

  private:
    const fs::path page_folder_;
    std::vector<fs::path> way_down_;
};

}  // namespace

ResumeState ResumeStateOf(const PageTask& task, RedoPolicy redo) {
    if (redo == RedoPolicy::kForce || !FileExists(task.result_path)) {
        return ResumeState::kToDo;
    }
    std::error_code error;
    const fs::file_time_type result_time = fs::last_write_time(fs::path(task.result_path), error);
    if (error) {
        return ResumeState::kToDo;
    }
    fs::file_time_type source_time =
        fs::last_write_time(fs::path(task.path_text + task.file_text), error);
    if (error) {
        return ResumeState::kToDo;
    }
    const SourceNames names(task.path_text, task.file_text);
    const fs::path resource_folder(names.ResourceDir());
    if (fs::exists(resource_folder, error) || error) {
        const fs::path page_folder =
            fs::canonical(fs::path(task.path_text.empty() ? u"." : task.path_text), error);
        if (error || !ResourceTimes(page_folder).Take(resource_folder, source_time)) {
            return ResumeState::kToDo;
        }
    }
    if (!(result_time > source_time)) {
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

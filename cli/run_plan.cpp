#include "cli/run_plan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <system_error>

#include "pipeline/language_catalogue.h"
#include "pipeline/page_text.h"
#include "pipeline/path_names.h"
#include "pipeline/result_layout.h"
#include "pipeline/source_file_choice.h"
#include "pipeline/source_names.h"
#include "platform/ascii.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor::cli {

namespace fs = std::filesystem;

namespace {

const char16_t kSeparator = SeparatorOf(kNativePathStyle);

// folder, which may end with a separator (a root does), followed by relative.
std::u16string Below(const std::u16string& folder, std::u16string_view relative) {
    std::u16string path = folder;
    if (path.empty() || path.back() != kSeparator) {
        path += kSeparator;
    }
    path += relative;
    return path;
}

// The form of a path under which two names of the same file compare equal: the system
// ignores case on Windows (ASCII letters suffice for the names of one folder tree).
std::u16string PathKey(std::u16string_view path) {
    if constexpr (kNativePathStyle == PathStyle::kWindows) {
        return AsciiLowerCopy(path);
    } else {
        return std::u16string(path);
    }
}

std::string Message(std::string_view text) {
    return std::string(kProgramName) + ": " + std::string(text);
}

std::string Quoted(std::u16string_view path) {
    return "'" + Utf16ToUtf8(path) + "'";
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// The absolute form of path against the current folder, with "." and ".." taken out
// lexically, native separators, and no separator at the end except at a root.
std::u16string AbsoluteText(std::u16string_view path) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(std::u16string(path)), error);
    if (error) {
        absolute = fs::path(std::u16string(path));
    }
    absolute = absolute.lexically_normal();
    absolute.make_preferred();
    if (!absolute.has_filename() && absolute.has_relative_path()) {
        absolute = absolute.parent_path();
    }
    return absolute.u16string();
}

// The name under which the system knows the file: links resolved as far as the path
// exists. Two paths of the same file give the same key.
std::u16string IdentityKey(const std::u16string& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::path(path), error);
    return PathKey(error ? path : canonical.u16string());
}

bool SameFile(const std::u16string& a, const std::optional<std::u16string>& b) {
    if (!b) {
        return false;
    }
    std::error_code error;
    return fs::equivalent(fs::path(a), fs::path(*b), error) && !error;
}

struct Source {
    std::u16string full_path;
    // The input folder it was found in, or its own folder for a file given on its own.
    std::u16string site_folder;
    // The folder of the source inside its input folder, ending with a separator; empty for
    // a file at the top of the folder or given on its own.
    std::u16string relative_folder;
    std::string display_name;
};

struct FoundPage {
    // The path inside the input folder with slashes, UTF-8: the sort key, the same on
    // every system.
    std::string sort_key;
    Source source;
};

// Whether folder holds the mark of a run's output folder.
bool HoldsOutputMark(const std::u16string& folder) {
    return FileExists(JoinPath(folder, std::u16string(kOutputMarkName)));
}

// Whether the path key inner names something below the path key outer.
bool Inside(std::u16string_view inner, std::u16string_view outer) {
    if (outer.empty() || inner.size() <= outer.size() || inner.substr(0, outer.size()) != outer) {
        return false;
    }
    return outer.back() == kSeparator || inner[outer.size()] == kSeparator;
}

class FolderWalk {
  public:
    FolderWalk(std::string display_root, std::optional<std::u16string> out_folder,
               std::vector<PassedOverFolder>& passed_over)
        : display_root_(std::move(display_root)),
          out_folder_(std::move(out_folder)),
          passed_over_(passed_over) {}

    // Collects the pages below folder; returns an error message or nothing. A subfolder that
    // cannot be read is passed over, noted; only the input folder itself is an error.
    std::string Walk(const std::u16string& folder, const std::u16string& relative_folder,
                     const std::string& relative_key) {
        std::vector<FolderEntry> entries;
        try {
            entries = ListFolder(folder);
        } catch (const FileSystemError& error) {
            if (relative_folder.empty()) {
                return Message("cannot read the folder " + Quoted(folder) + ": " + error.Reason());
            }
            passed_over_.push_back(
                {DisplayName(relative_folder.substr(0, relative_folder.size() - 1)),
                 PassReason::kUnreadable, error.Reason()});
            return {};
        }
        std::set<std::u16string> page_base_names;
        for (const FolderEntry& entry : entries) {
            if (entry.kind == FolderEntryKind::kFile && IsPageFileName(entry.name)) {
                page_base_names.insert(PathKey(BaseNameOf(entry.name)));
            }
        }
        for (const FolderEntry& entry : entries) {
            const std::u16string path = JoinPath(folder, entry.name);
            if (entry.kind == FolderEntryKind::kFile) {
                if (!IsPageFileName(entry.name) ||
                    (HasTempPageName(entry.name) && IsTempPage(path))) {
                    continue;
                }
                const std::u16string relative = relative_folder + entry.name;
                found_.push_back({relative_key + Utf16ToUtf8(entry.name),
                                  {path, {}, relative_folder, DisplayName(relative)}});
            } else if (entry.kind == FolderEntryKind::kFolder) {
                if (IsResourceFolder(entry.name, page_base_names) || SameFile(path, out_folder_)) {
                    continue;
                }
                if (HoldsOutputMark(path)) {
                    passed_over_.push_back({DisplayName(relative_folder + entry.name),
                                            PassReason::kEarlierResults, ""});
                    continue;
                }
                std::string error = Walk(path, relative_folder + entry.name + kSeparator,
                                         relative_key + Utf16ToUtf8(entry.name) + "/");
                if (!error.empty()) {
                    return error;
                }
            }
            // Links to folders are not followed (they may lead round in a circle); devices,
            // pipes and broken links are no pages.
        }
        return {};
    }

    std::vector<FoundPage> TakeSorted() {
        std::stable_sort(found_.begin(), found_.end(), [](const FoundPage& a, const FoundPage& b) {
            return a.sort_key < b.sort_key;
        });
        return std::move(found_);
    }

  private:
    // A page's resource folder: NAME_files beside a page whose base name is NAME.
    static bool IsResourceFolder(std::u16string_view name,
                                 const std::set<std::u16string>& page_base_names) {
        constexpr std::u16string_view kSuffix = u"_files";
        if (name.size() <= kSuffix.size() || name.substr(name.size() - kSuffix.size()) != kSuffix) {
            return false;
        }
        return page_base_names.count(PathKey(name.substr(0, name.size() - kSuffix.size()))) > 0;
    }

    std::string DisplayName(const std::u16string& relative) const {
        if (display_root_.empty()) {
            return Utf16ToUtf8(relative);
        }
        return display_root_ + Utf16ToUtf8(std::u16string(1, kSeparator)) + Utf16ToUtf8(relative);
    }

    std::string display_root_;
    std::optional<std::u16string> out_folder_;
    std::vector<PassedOverFolder>& passed_over_;
    std::vector<FoundPage> found_;
};

// The input as given without the separators at its end, to put before the paths found in
// it; the input itself when that leaves nothing (the root).
std::string DisplayRoot(const std::string& input) {
    std::string root = input;
    while (!root.empty() && (root.back() == '/' ||
                             (kNativePathStyle == PathStyle::kWindows && root.back() == '\\'))) {
        root.pop_back();
    }
    return root.empty() ? input : root;
}

// Checks that a file can be written in the folder, leaving nothing there; returns an error
// message or nothing. what names the folder in the message.
std::string ProbeWritable(const std::u16string& folder, std::string_view what) {
    std::random_device random;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::u16string probe =
            JoinPath(folder, u".quillmoor-probe-" + Utf8ToUtf16(std::to_string(random())));
        try {
            if (WriteNewFile(probe, [](FileContentSink& sink) { sink.Write("probe"); })) {
                RemoveFile(probe);
                return {};
            }
        } catch (const std::exception& error) {
            return Message("cannot write in " + std::string(what) + " " + Quoted(folder) + ": " +
                           error.what());
        }
    }
    return Message("cannot write in " + std::string(what) + " " + Quoted(folder));
}

// A folder the run writes in: the output folder, the report's folder.
struct WantedFolder {
    std::u16string path;
    std::string_view what;
};

// The folders that making path would create, from path up to its nearest existing parent.
std::vector<fs::path> MissingFolders(const std::u16string& path) {
    std::vector<fs::path> missing;
    std::error_code error;
    for (fs::path at(path); !at.empty() && !fs::exists(at, error); at = at.parent_path()) {
        missing.push_back(at);
        if (at == at.parent_path()) {
            break;
        }
    }
    return missing;
}

const char kOutputMarkText[] =
    "This folder holds the results of quillmoor-cli. Its runs pass over every folder that\n"
    "holds this file when they look for pages to translate.\n";

// Makes the wanted folders that are missing, checks that a file can be written in each and
// marks the output folder (the first); returns an error message or nothing. The folders that
// exist are checked first, which leaves nothing behind; when a later step fails, the
// folders made are removed again, so that a usage error makes nothing.
std::string PrepareFolders(const std::vector<WantedFolder>& wanted) {
    for (const WantedFolder& folder : wanted) {
        if (DirectoryExists(folder.path)) {
            std::string error = ProbeWritable(folder.path, folder.what);
            if (!error.empty()) {
                return error;
            }
        }
    }
    std::vector<fs::path> made;
    const auto fail = [&made](std::string error) {
        // The deepest first: each is empty once those inside it are gone.
        std::sort(made.begin(), made.end(), [](const fs::path& a, const fs::path& b) {
            return a.native().size() > b.native().size();
        });
        for (const fs::path& folder : made) {
            std::error_code ignored;
            fs::remove(folder, ignored);
        }
        return error;
    };
    for (const WantedFolder& folder : wanted) {
        if (DirectoryExists(folder.path)) {
            continue;
        }
        const std::vector<fs::path> missing = MissingFolders(folder.path);
        try {
            MakeDirectories(folder.path);
        } catch (const FileSystemError& error) {
            made.insert(made.end(), missing.begin(), missing.end());
            return fail(Message("cannot create " + std::string(folder.what) + " " +
                                Quoted(folder.path) + ": " + error.Reason()));
        }
        made.insert(made.end(), missing.begin(), missing.end());
        std::string error = ProbeWritable(folder.path, folder.what);
        if (!error.empty()) {
            return fail(std::move(error));
        }
    }
    const std::u16string mark = JoinPath(wanted.front().path, std::u16string(kOutputMarkName));
    try {
        WriteNewFile(mark, [](FileContentSink& sink) { sink.Write(kOutputMarkText); });
    } catch (const std::exception& error) {
        return fail(Message("cannot write in " + std::string(wanted.front().what) + " " +
                            Quoted(wanted.front().path) + ": " + error.what()));
    }
    return {};
}

bool ShardInRange(ShardSpec shard) {
    return shard.count >= 1 && shard.index >= 1 && shard.index <= shard.count;
}

}  // namespace

bool IsPageFileName(std::u16string_view file_name) {
    static const std::vector<std::u16string> extensions = [] {
        std::vector<std::u16string> result;
        const std::vector<FilterChoice> choices = ParseBarFilter(kSourceFileFilter);
        for (const std::u16string& pattern : choices.at(0).patterns) {
            if (pattern.size() > 1 && pattern[0] == u'*' && pattern[1] == u'.') {
                result.push_back(AsciiLowerCopy(pattern.substr(1)));
            }
        }
        return result;
    }();
    const std::u16string extension = AsciiLowerCopy(ExtensionOf(file_name));
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

bool HasTempPageName(std::u16string_view file_name) {
    const std::u16string extension = AsciiLowerCopy(ExtensionOf(file_name));
    if (extension != u".html" && extension != u".htm") {
        return false;
    }
    const std::u16string base = BaseNameOf(file_name);
    constexpr std::u16string_view kTemp = u"-temp";
    if (base.size() >= kTemp.size() &&
        base.compare(base.size() - kTemp.size(), kTemp.size(), kTemp.data(), kTemp.size()) == 0) {
        return true;
    }
    const std::size_t dash = base.rfind(u'-');
    if (dash == std::u16string::npos || dash + 1 == base.size() || dash < kTemp.size() ||
        base.compare(dash - kTemp.size(), kTemp.size(), kTemp.data(), kTemp.size()) != 0) {
        return false;
    }
    return std::all_of(
        base.begin() + static_cast<std::ptrdiff_t>(dash) + 1, base.end(), [](char16_t c) {
            return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        });
}

RunPlan MakeRunPlan(const CliOptions& options) {
    RunPlan plan;
    if (!ShardInRange(options.shard)) {
        plan.error = Message("--shard " + std::to_string(options.shard.index) + "/" +
                             std::to_string(options.shard.count) +
                             " is out of range: K must lie between 1 and N");
        return plan;
    }
    if (options.languages.empty()) {
        plan.error = Message("no language to translate into");
        return plan;
    }
    for (std::size_t language : options.languages) {
        if (language >= LanguageCodes().size()) {
            plan.error = Message("no language at catalogue position " + std::to_string(language));
            return plan;
        }
    }
    if (options.out.empty()) {
        plan.error = Message("the output folder is not named");
        return plan;
    }

    const std::u16string out_folder = AbsoluteText(Utf8ToUtf16(options.out));
    const std::u16string out_key = IdentityKey(out_folder);
    const std::optional<std::u16string> existing_out =
        DirectoryExists(out_folder) ? std::optional<std::u16string>(out_folder) : std::nullopt;

    // The report must not overwrite what the run reads, nor stand where it writes.
    std::u16string report;
    std::u16string report_key;
    if (!options.report.empty()) {
        report = AbsoluteText(Utf8ToUtf16(options.report));
        report_key = IdentityKey(report);
        if (DirectoryExists(report)) {
            plan.error = Message("the report " + Quoted(options.report) + " is a folder");
            return plan;
        }
        if (report_key == out_key) {
            plan.error = Message("the report " + Quoted(options.report) +
                                 " is the output folder; name another file with --report");
            return plan;
        }
    }
    const auto report_overwrites = [&](const std::string& input) {
        return Message("the report " + Quoted(options.report) + " would overwrite " +
                       Quoted(input) + "; name another file with --report");
    };
    const bool report_in_out = !report.empty() && Inside(report_key, out_key);

    std::vector<Source> sources;
    std::set<std::u16string> seen;
    const auto take = [&](Source source) {
        if (seen.insert(IdentityKey(source.full_path)).second) {
            sources.push_back(std::move(source));
        }
    };
    for (const std::string& input : options.inputs) {
        const std::u16string path = AbsoluteText(Utf8ToUtf16(input));
        if (FileExists(path)) {
            if (!report.empty() && IdentityKey(path) == report_key) {
                plan.error = report_overwrites(input);
                return plan;
            }
            take({path, DirectoryOf(path), u"", input});
            plan.sites.push_back({DirectoryOf(path), FileNameOf(path), input});
        } else if (DirectoryExists(path)) {
            if (SameFile(path, existing_out)) {
                plan.error = Message("the folder " + Quoted(input) +
                                     " is the output folder; name another with --out");
                return plan;
            }
            if (!report.empty() && !report_in_out && Inside(report_key, IdentityKey(path))) {
                plan.error = Message("the report " + Quoted(options.report) +
                                     " lies inside the input folder " + Quoted(input) +
                                     "; put it elsewhere or in the output folder");
                return plan;
            }
            if (HoldsOutputMark(path)) {
                plan.error = Message("the folder " + Quoted(input) +
                                     " holds the results of an earlier run (it has a " +
                                     Utf16ToUtf8(kOutputMarkName) +
                                     " file); give the folder of the pages instead");
                return plan;
            }
            FolderWalk walk(DisplayRoot(input), existing_out, plan.passed_over);
            plan.error = walk.Walk(path, u"", "");
            if (!plan.error.empty()) {
                return plan;
            }
            std::vector<FoundPage> found = walk.TakeSorted();
            if (found.empty()) {
                plan.error = Message("no page (.html, .htm) in the folder " + Quoted(input));
                return plan;
            }
            for (FoundPage& page : found) {
                page.source.site_folder = path;
                take(std::move(page.source));
            }
            plan.sites.push_back({path, u"", input});
        } else {
            plan.error = Message("no such file or folder " + Quoted(input));
            return plan;
        }
    }
    if (!report.empty() && FileExists(report)) {
        // Another name of a source (a hard link, say).
        for (const Source& source : sources) {
            if (SameFile(source.full_path, report)) {
                plan.error = report_overwrites(source.display_name);
                return plan;
            }
        }
    }

    // Two sources whose results would land in the same place, or the report in one.
    const std::u16string report_in_out_key =
        report_in_out ? report_key.substr(out_key.size() + (out_key.back() == kSeparator ? 0 : 1))
                      : std::u16string();
    if (report_in_out && report_in_out_key == PathKey(kOutputMarkName)) {
        plan.error = report_overwrites(Utf16ToUtf8(JoinPath(out_folder, kOutputMarkName)));
        return plan;
    }
    std::map<std::u16string, const Source*> places;
    for (const Source& source : sources) {
        const FileListRow row = FileListRowFor(source.full_path);
        const std::u16string place = Below(out_folder, source.relative_folder + row.file);
        const auto [at, inserted] = places.emplace(PathKey(place), &source);
        if (!inserted) {
            plan.error =
                Message(Quoted(at->second->display_name) + " and " + Quoted(source.display_name) +
                        " would both be stored in " + Quoted(place) +
                        "; translate them in separate runs or give "
                        "their folder instead");
            return plan;
        }
        const std::u16string place_key = PathKey(source.relative_folder + row.file);
        if (report_in_out &&
            (report_in_out_key == place_key || Inside(report_in_out_key, place_key) ||
             Inside(place_key, report_in_out_key))) {
            plan.error = Message("the report " + Quoted(options.report) +
                                 " would lie where the results of " + Quoted(source.display_name) +
                                 " go (" + Quoted(place) + "); name another file with --report");
            return plan;
        }
    }

    bool folder_given = false;
    for (const SiteInput& site : plan.sites) {
        folder_given = folder_given || site.single_page.empty();
    }
    plan.layout =
        options.layout.value_or(folder_given ? ResultLayout::kSite : ResultLayout::kPerPage);
    plan.out_folder = out_folder;
    if (plan.layout == ResultLayout::kPerPage) {
        plan.sites.clear();
    }

    std::size_t number = 0;
    for (const Source& source : sources) {
        const FileListRow row = FileListRowFor(source.full_path);
        const std::u16string result_root = plan.layout == ResultLayout::kSite
                                               ? out_folder
                                               : Below(out_folder, source.relative_folder);
        for (std::size_t language : options.languages) {
            PageTask task;
            task.number = number++;
            task.path_text = row.path;
            task.file_text = row.file;
            task.language_index = language;
            task.result_root = result_root;
            task.layout = plan.layout;
            if (plan.layout == ResultLayout::kSite) {
                task.site_folder = source.site_folder;
                task.site_path = source.relative_folder + row.file;
                task.result_path =
                    SiteResultPlace(out_folder, task.site_path, LanguageCodes()[language]).page;
            } else {
                task.result_path = PerPageResultPlace(result_root, SourceNames(row.path, row.file),
                                                      LanguageCodes()[language])
                                       .page;
            }
            task.display_name = source.display_name;
            plan.tasks.push_back(std::move(task));
        }
    }

    std::vector<WantedFolder> wanted = {{out_folder, "the output folder"}};
    if (!report.empty()) {
        wanted.push_back({DirectoryOf(report), "the report's folder"});
    }
    plan.error = PrepareFolders(wanted);
    if (!plan.error.empty()) {
        plan.tasks.clear();
    }
    return plan;
}

std::string PassedOverText(const PassedOverFolder& passed) {
    switch (passed.reason) {
        case PassReason::kEarlierResults:
            return "passed over the folder " + Quoted(passed.folder) +
                   ": it holds the results of an earlier run";
        case PassReason::kUnreadable:
            break;
    }
    return "passed over the folder " + Quoted(passed.folder) +
           ", which cannot be read: " + passed.detail;
}

std::vector<PageTask> ShardOf(const std::vector<PageTask>& tasks, ShardSpec shard) {
    if (!ShardInRange(shard)) {
        throw std::invalid_argument("shard out of range");
    }
    std::vector<PageTask> share;
    const auto count = static_cast<std::size_t>(shard.count);
    const auto index = static_cast<std::size_t>(shard.index - 1);
    for (const PageTask& task : tasks) {
        if (task.number % count == index) {
            share.push_back(task);
        }
    }
    return share;
}

}  // namespace quillmoor::cli

#include "cli/resume_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/utf.h"
#include "tests/support/test_folder.h"

namespace quillmoor::cli {
namespace {

namespace fs = std::filesystem;
using test_support::TestFolder;
using test_support::WriteBytes;

constexpr std::string_view kTranslated =
    "<html lang=\"fr\" class=\"translated-ltr\"><head></head><body>Bonjour</body></html>";
constexpr std::string_view kUntranslated = "<html><head></head><body>Hello</body></html>";
// The mark on an element inside the page, not on its root.
constexpr std::string_view kMarkInside =
    "<html><head></head><body class=\"translated-ltr\">Hello</body></html>";
// A page written as UTF-16 with its byte order mark: read as the page run reads it.
const std::string kTranslatedUtf16 = [] {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : Utf8ToUtf16("<html class=\"translated-rtl\"><body>x</body></html>")) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}();

enum class Age { kOlder, kSame, kNewer };

// A task for the page `file` in `folder`, whose result is `result` in the same folder.
PageTask TaskIn(const TestFolder& folder, std::u16string file, std::u16string_view result) {
    PageTask task;
    task.path_text =
        folder.Root().u16string() + static_cast<char16_t>(fs::path::preferred_separator);
    task.file_text = std::move(file);
    task.result_path = folder.Path(result);
    return task;
}

TEST(ResumeCheck, OnlyANewerTranslatedResultIsDone) {
    const struct {
        const char* name;
        bool exists;
        Age age;
        std::string content;
        RedoPolicy redo;
        ResumeState state;
    } cases[] = {
        {"translated and newer", true, Age::kNewer, std::string(kTranslated), RedoPolicy::kResume,
         ResumeState::kDone},
        {"translated, UTF-16", true, Age::kNewer, kTranslatedUtf16, RedoPolicy::kResume,
         ResumeState::kDone},
        {"forced", true, Age::kNewer, std::string(kTranslated), RedoPolicy::kForce,
         ResumeState::kToDo},
        {"no result", false, Age::kNewer, "", RedoPolicy::kResume, ResumeState::kToDo},
        {"source changed since", true, Age::kOlder, std::string(kTranslated), RedoPolicy::kResume,
         ResumeState::kToDo},
        {"same time", true, Age::kSame, std::string(kTranslated), RedoPolicy::kResume,
         ResumeState::kToDo},
        {"stored not translated", true, Age::kNewer, std::string(kUntranslated),
         RedoPolicy::kResume, ResumeState::kToDo},
        {"mark not on the root", true, Age::kNewer, std::string(kMarkInside), RedoPolicy::kResume,
         ResumeState::kToDo},
        {"empty result", true, Age::kNewer, "", RedoPolicy::kResume, ResumeState::kToDo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        const PageTask task = TaskIn(folder, u"page.html", u"page.html.fr.html");
        const fs::path source = folder.Root() / "page.html";
        WriteBytes(source, kUntranslated);
        const fs::file_time_type source_time = fs::last_write_time(source);
        if (c.exists) {
            WriteBytes(fs::path(task.result_path), c.content);
            const auto shift = c.age == Age::kNewer   ? std::chrono::seconds(10)
                               : c.age == Age::kOlder ? std::chrono::seconds(-10)
                                                      : std::chrono::seconds(0);
            fs::last_write_time(fs::path(task.result_path), source_time + shift);
        }
        EXPECT_EQ(ResumeStateOf(task, c.redo), c.state);
    }
}

TEST(ResumeCheck, AMissingSourceOrAFolderInPlaceOfTheResultIsToDo) {
    TestFolder folder;
    PageTask task = TaskIn(folder, u"gone.html", u"result.html");
    WriteBytes(fs::path(task.result_path), kTranslated);
    EXPECT_EQ(ResumeStateOf(task, RedoPolicy::kResume), ResumeState::kToDo);

    task.file_text = u"page.html";
    WriteBytes(folder.Root() / "page.html", kUntranslated);
    fs::last_write_time(folder.Root() / "page.html",
                        fs::last_write_time(folder.Root() / "page.html") - std::chrono::hours(1));
    EXPECT_EQ(ResumeStateOf(task, RedoPolicy::kResume), ResumeState::kDone);
    task.result_path = folder.Path(u"folder.html");
    fs::create_directory(fs::path(task.result_path));
    EXPECT_EQ(ResumeStateOf(task, RedoPolicy::kResume), ResumeState::kToDo);
}

TEST(ResumeCheck, AResourceChangedSinceTheResultWasStoredIsToDo) {
    // The result was stored an hour after the source and its resources were written.
    const auto make = [](const TestFolder& folder) {
        const fs::path resources = folder.Root() / "page_files";
        fs::create_directories(resources / "css");
        WriteBytes(folder.Root() / "page.html", kUntranslated);
        WriteBytes(resources / "css" / "style.css", "body{}");
        WriteBytes(folder.Root() / "result.html", kTranslated);
        const fs::file_time_type result_time =
            fs::last_write_time(folder.Root() / "result.html") + std::chrono::hours(1);
        fs::last_write_time(folder.Root() / "result.html", result_time);
        return result_time;
    };
    const fs::path resources("page_files");
    const TestFolder outside;
    const struct {
        const char* name;
        // Changes the resources at the time given (one after the result's time).
        std::function<void(const fs::path& root, fs::file_time_type later)> change;
        ResumeState state;
    } cases[] = {
        {"nothing changed", [](const fs::path&, fs::file_time_type) {}, ResumeState::kDone},
        {"a resource edited",
         [&](const fs::path& root, fs::file_time_type later) {
             fs::last_write_time(root / resources / "css" / "style.css", later);
         },
         ResumeState::kToDo},
#ifndef _WIN32
        // (Folders' times cannot be set everywhere.)
        {"a resource added or removed: its folder changed",
         [&](const fs::path& root, fs::file_time_type later) {
             fs::last_write_time(root / resources / "css", later);
         },
         ResumeState::kToDo},
        {"a file inside the page's folder edited, reached through a link",
         [&](const fs::path& root, fs::file_time_type later) {
             WriteBytes(root / "shared.css", "p{}");
             fs::last_write_time(root / "shared.css", later);
             fs::create_symlink(root / "shared.css", root / resources / "shared.css");
         },
         ResumeState::kToDo},
        {"a link outside the page's folder, which the store passes over",
         [&](const fs::path& root, fs::file_time_type later) {
             WriteBytes(outside.Root() / "new.css", "p{}");
             fs::last_write_time(outside.Root() / "new.css", later);
             fs::create_symlink(outside.Root() / "new.css", root / resources / "outside.css");
         },
         ResumeState::kDone},
        {"a link round in a circle",
         [&](const fs::path& root, fs::file_time_type) {
             fs::create_directory_symlink(root / resources, root / resources / "css" / "loop");
         },
         ResumeState::kDone},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        const fs::file_time_type result_time = make(folder);
        c.change(folder.Root(), result_time + std::chrono::seconds(10));
        EXPECT_EQ(ResumeStateOf(TaskIn(folder, u"page.html", u"result.html"), RedoPolicy::kResume),
                  c.state);
    }
}

}  // namespace
}  // namespace quillmoor::cli

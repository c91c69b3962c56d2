#include "cli/site_output.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "pipeline/charset_declaration.h"
#include "pipeline/content_digest.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/markup_tags.h"
#include "pipeline/page_encoding.h"
#include "pipeline/page_text.h"
#include "pipeline/path_names.h"
#include "pipeline/result_layout.h"
#include "pipeline/result_store.h"
#include "pipeline/site_page.h"
#include "pipeline/widget_snippet.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor::cli {

namespace {

// How often the manifest is written while the run goes on, so that a run that is killed
// loses little of it.
constexpr std::chrono::seconds kManifestInterval{5};

constexpr std::string_view kStoredOutcome = "stored";

const char16_t kSeparator = SeparatorOf(kNativePathStyle);

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// A path inside a site with "/" between folders, as the manifest and addresses have it.
std::string SlashPath(std::u16string_view native_path) {
    std::u16string path(native_path);
    std::replace(path.begin(), path.end(), kSeparator, u'/');
    return Utf16ToUtf8(path);
}

// The native form of a manifest's page path; nothing for one that could lead out of the
// language tree (an absolute path, an empty, "." or ".." folder, a backslash), which a
// manifest written by this program never holds.
std::optional<std::u16string> NativePagePath(std::string_view page) {
    if (page.empty() || !IsValidUtf8(page) || page.find('\\') != std::string_view::npos ||
        page.find(':') != std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = page.find('/', start);
        const std::string_view part = page.substr(
            start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (part.empty() || part == "." || part == "..") {
            return std::nullopt;
        }
        if (slash == std::string_view::npos) {
            break;
        }
        start = slash + 1;
    }
    std::u16string path = Utf8ToUtf16(page);
    std::replace(path.begin(), path.end(), u'/', kSeparator);
    return path;
}

std::optional<std::size_t> CatalogueIndexOf(std::string_view code) {
    const std::vector<std::u16string>& codes = LanguageCodes();
    const auto found = std::find(codes.begin(), codes.end(), Utf8ToUtf16(code));
    if (found == codes.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - codes.begin());
}

// Whether the page text has a place for the widget, as the page run looks for one.
bool HasPlaceForWidget(std::u16string_view text) {
    return text.find(u"<head") != std::u16string_view::npos ||
           text.find(u"<body") != std::u16string_view::npos;
}

// A stored page as text, read in the encoding it was stored in (see WriteTextFile), its line
// breaks as they are (the alternate link lines start with a lone LF, which a page reader
// would turn into CR LF) and without the line break that storing puts at its end, so that
// writing it back gives its bytes.
std::u16string ReadStoredPage(const std::u16string& path) {
    const std::string bytes = ReadFileBytes(path, kMaxPageFileBytes);
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    const AnsiCodePage utf8 = AnsiCodePage::ForCodePage(65001);
    std::u16string text;
    if (std::string_view(bytes).substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        text = utf8.Decode(std::string_view(bytes).substr(kUtf8Mark.size()));
    } else {
        const AnsiCodePage& code_page = AnsiCodePage::System();
        text = code_page.Decode(bytes);
        const std::optional<CharsetDeclaration> declaration = FindCharsetDeclaration(text);
        if (declaration && declaration->encoding == "UTF-8" &&
            WebEncodingOf(code_page) != "UTF-8") {
            text = utf8.Decode(bytes);
        }
    }
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) {
        text.resize(text.size() - 2);
    }
    return text;
}

// Whether the page's root element says it is in the language with code.
bool RootSaysLanguage(std::u16string_view text, std::u16string_view code) {
    MarkupTagScanner scanner(text);
    while (const std::optional<MarkupTag> tag = scanner.Next()) {
        if (tag->kind == MarkupTag::Kind::kStart && tag->name == u"html") {
            const std::optional<std::u16string_view> lang = tag->Attribute(u"lang");
            return lang && *lang == LanguageTagOf(code);
        }
    }
    return false;
}

}  // namespace

SiteOutput::SiteOutput(const RunPlan& plan, const CliOptions& options, NoteSink note)
    : plan_(plan), options_(options), note_(std::move(note)) {
    for (const std::size_t language : options_.languages) {
        LanguageTreeCounts tree;
        tree.code = LanguageCodeText(language);
        trees_.push_back(std::move(tree));
    }
}

SiteOutput::PageKey SiteOutput::KeyOf(const PageTask& task) {
    return {Utf16ToUtf8(task.site_folder), SlashPath(task.site_path)};
}

LanguageTreeCounts& SiteOutput::TreeOf(const std::string& code) {
    const auto found = std::find_if(trees_.begin(), trees_.end(),
                                    [&](const LanguageTreeCounts& t) { return t.code == code; });
    if (found != trees_.end()) {
        return *found;
    }
    LanguageTreeCounts tree;
    tree.code = code;
    trees_.push_back(std::move(tree));
    return trees_.back();
}

void SiteOutput::Prepare() {
    std::string problem;
    manifest_ = SiteManifest::Read(plan_.out_folder, &problem);
    if (!problem.empty()) {
        note_("warning: " + problem + "; every page is translated again");
    }
    for (const std::size_t language : options_.languages) {
        snippet_digests_[LanguageCodeText(language)] =
            Sha256Hex(Utf16ToUtf8(WidgetSnippet(LanguageCodes().at(language))));
    }
    for (const PageTask& task : plan_.tasks) {
        const auto [at, inserted] = source_digests_.try_emplace(KeyOf(task));
        if (!inserted) {
            continue;
        }
        try {
            at->second = Sha256HexOfFile(task.path_text + task.file_text);
        } catch (const std::exception&) {
            // Its page-languages are translated; the page run names the fault.
        }
    }
    RemoveVanishedPages();
    MirrorTrees();
    manifest_written_ = std::chrono::steady_clock::now();
}

void SiteOutput::RemoveVanishedPages() {
    const bool unread = std::any_of(
        plan_.passed_over.begin(), plan_.passed_over.end(),
        [](const PassedOverFolder& passed) { return passed.reason == PassReason::kUnreadable; });
    for (const SiteInput& site : plan_.sites) {
        if (!site.single_page.empty()) {
            continue;
        }
        const std::string site_key = Utf16ToUtf8(site.folder);
        std::set<std::string> pages;
        for (const PageTask& task : plan_.tasks) {
            if (task.site_folder == site.folder) {
                pages.insert(SlashPath(task.site_path));
            }
        }
        const std::vector<ManifestEntry> vanished = manifest_.VanishedFrom(site_key, pages);
        if (vanished.empty()) {
            continue;
        }
        if (unread) {
            // Its pages may lie in the folder that could not be read.
            note_("warning: kept the results of " + std::to_string(vanished.size()) +
                  " page-language(s) missing from " + Quoted(site.display_name) +
                  ", as a folder of it could not be read");
            continue;
        }
        for (const ManifestEntry& entry : vanished) {
            const std::optional<std::u16string> page = NativePagePath(entry.page);
            if (!page || !CatalogueIndexOf(entry.language)) {
                manifest_.Remove(entry.site, entry.page, entry.language);
                continue;
            }
            const std::u16string result =
                SiteResultPlace(plan_.out_folder, *page, Utf8ToUtf16(entry.language)).page;
            try {
                if (FileExists(result)) {
                    RemoveFile(result);
                }
            } catch (const FileSystemError& error) {
                note_("warning: cannot remove " + Quoted(Utf16ToUtf8(result)) + ": " +
                      error.Reason());
                failed_ = true;
                continue;
            }
            manifest_.Remove(entry.site, entry.page, entry.language);
            ++TreeOf(entry.language).removed;
            note_("removed " + Quoted(entry.language + "/" + entry.page) + ": " +
                  Quoted(entry.page) + " is no longer in " + Quoted(site.display_name));
        }
    }
}

void SiteOutput::MirrorTrees() {
    // The pages that go through the widget are not mirrored: their translations take their
    // place. A page with no place for the widget is mirrored as it is.
    std::map<std::u16string, std::set<std::u16string>> translated;
    for (const PageTask& task : plan_.tasks) {
        std::set<std::u16string>& pages = translated[task.site_folder];
        std::u16string path = task.site_path;
        std::replace(path.begin(), path.end(), kSeparator, u'/');
        if (pages.count(path) > 0) {
            continue;
        }
        try {
            if (!HasPlaceForWidget(ReadPageText(task.path_text + task.file_text))) {
                continue;
            }
        } catch (const std::exception&) {
        }
        pages.insert(std::move(path));
    }
    bool first_tree = true;
    for (LanguageTreeCounts& tree : trees_) {
        const std::u16string tree_folder =
            SiteResultPlace(plan_.out_folder, u"", Utf8ToUtf16(tree.code)).language_folder;
        for (const SiteInput& site : plan_.sites) {
            std::u16string from = site.folder;
            std::u16string to = tree_folder;
            MirrorExclusions exclusions;
            if (site.single_page.empty()) {
                const std::set<std::u16string>& pages = translated[site.folder];
                exclusions.is_left_out = [&pages](std::u16string_view relative) {
                    return pages.count(std::u16string(relative)) > 0;
                };
                exclusions.folders.push_back(plan_.out_folder);
            } else {
                // A page given on its own brings its resource folder only.
                const std::u16string resource = BaseNameOf(site.single_page) + u"_files";
                from = JoinPath(site.folder, resource);
                to = JoinPath(tree_folder, resource);
                if (!DirectoryExists(from)) {
                    continue;
                }
            }
            try {
                MirrorReport report = MirrorSiteFiles(from, to, exclusions);
                tree.mirror.linked += report.linked;
                tree.mirror.copied += report.copied;
                tree.mirror.left += report.left;
                tree.mirror.left_out += report.left_out;
                if (first_tree) {
                    for (const std::u16string& passed : report.passed_over) {
                        note_("warning: not mirrored from " + Quoted(site.display_name) + ": " +
                              Quoted(Utf16ToUtf8(passed)) +
                              " (a link that leads out of the folder, round in a circle or "
                              "nowhere, or no file)");
                    }
                }
            } catch (const FileSystemError& error) {
                note_("cannot mirror " + Quoted(site.display_name) + " into " +
                      Quoted(Utf16ToUtf8(to)) + ": " + error.Reason());
                tree.mirror_failed = true;
                failed_ = true;
            }
        }
        first_tree = false;
    }
}

bool SiteOutput::AlreadyStored(const PageTask& task) const {
    if (options_.redo == RedoPolicy::kForce) {
        return false;
    }
    const PageKey key = KeyOf(task);
    const std::string code = LanguageCodeText(task.language_index);
    const ManifestEntry* entry = manifest_.Find(key.site, key.page, code);
    const auto digest = source_digests_.find(key);
    const auto snippet = snippet_digests_.find(code);
    if (entry == nullptr || entry->outcome != kStoredOutcome || digest == source_digests_.end() ||
        digest->second.empty() || entry->source_digest != digest->second ||
        snippet == snippet_digests_.end() || entry->snippet_digest != snippet->second) {
        return false;
    }
    try {
        return FileExists(task.result_path) &&
               RootSaysLanguage(ReadStoredPage(task.result_path),
                                LanguageCodes().at(task.language_index));
    } catch (const std::exception&) {
        return false;
    }
}

void SiteOutput::Recorded(const TaskRecord& record) {
    if (record.outcome != PageOutcome::kStored) {
        // An earlier entry stays: its result stays too, and its digest has it done again.
        return;
    }
    const PageKey key = KeyOf(record.task);
    const std::string code = LanguageCodeText(record.task.language_index);
    manifest_.Set({key.site, key.page, code, source_digests_[key], snippet_digests_[code],
                   std::string(kStoredOutcome), ""});
    if (std::chrono::steady_clock::now() - manifest_written_ >= kManifestInterval) {
        WriteManifest();
    }
}

bool SiteOutput::WriteManifest() {
    manifest_written_ = std::chrono::steady_clock::now();
    try {
        manifest_.Write(plan_.out_folder);
        return true;
    } catch (const FileSystemError& error) {
        note_("cannot write the manifest in " + Quoted(Utf16ToUtf8(plan_.out_folder)) + ": " +
              error.Reason());
        return false;
    }
}

bool SiteOutput::SetAlternates() {
    std::set<std::string> sites;
    for (const SiteInput& site : plan_.sites) {
        sites.insert(Utf16ToUtf8(site.folder));
    }
    // The stored languages of each page, in catalogue order.
    std::map<PageKey, std::vector<ManifestEntry>> versions_of;
    for (const ManifestEntry& entry : manifest_.Entries()) {
        if (entry.outcome == kStoredOutcome && sites.count(entry.site) > 0 &&
            CatalogueIndexOf(entry.language)) {
            versions_of[{entry.site, entry.page}].push_back(entry);
        }
    }
    bool whole = true;
    for (auto& [key, entries] : versions_of) {
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return *CatalogueIndexOf(a.language) < *CatalogueIndexOf(b.language);
        });
        std::vector<AlternateVersion> versions;
        std::string wanted;
        if (!options_.base_url.empty()) {
            std::vector<std::u16string> codes;
            for (const ManifestEntry& entry : entries) {
                codes.push_back(Utf8ToUtf16(entry.language));
            }
            versions = AlternateVersionsOf(options_.base_url, key.page, codes);
            std::string lines;
            for (const AlternateVersion& version : versions) {
                lines += Utf16ToUtf8(version.hreflang) + " " + version.address + "\n";
            }
            wanted = Sha256Hex(lines);
        }
        const std::optional<std::u16string> page = NativePagePath(key.page);
        if (!page) {
            continue;
        }
        for (ManifestEntry& entry : entries) {
            if (entry.alternates == wanted) {
                continue;
            }
            const std::u16string path =
                SiteResultPlace(plan_.out_folder, *page, Utf8ToUtf16(entry.language)).page;
            try {
                if (!FileExists(path)) {
                    continue;
                }
                const std::u16string text = ReadStoredPage(path);
                std::u16string linked = WithAlternateLinks(text, versions);
                if (linked != text) {
                    WriteTextFile(path, linked);
                }
                entry.alternates = wanted;
                manifest_.Set(entry);
            } catch (const FileSystemError& error) {
                note_("cannot set the alternate links of " + Quoted(Utf16ToUtf8(path)) + ": " +
                      error.Reason());
                whole = false;
            }
        }
    }
    return whole;
}

bool SiteOutput::Finish(const std::vector<TaskRecord>& records) {
    for (const TaskRecord& record : records) {
        LanguageTreeCounts& tree = TreeOf(LanguageCodeText(record.task.language_index));
        if (record.outcome == PageOutcome::kStored) {
            ++tree.stored;
        } else if (record.skip_reason == SkipReason::kAlreadyStored) {
            ++tree.already_stored;
        } else if (record.skip_reason != SkipReason::kNoPlaceForWidget) {
            ++tree.not_stored;
        }
    }
    const bool alternates = SetAlternates();
    const bool manifest = WriteManifest();
    return !failed_ && alternates && manifest;
}

}  // namespace quillmoor::cli

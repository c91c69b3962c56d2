// What the site layout adds to a command-line run around its page-languages: the language
// trees made whole sites (the site's other files mirrored into each), resuming by content
// through the output folder's manifest, the results of pages that left the site removed,
// and the alternate links between the language versions of each page.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/run_plan.h"
#include "cli/run_report.h"
#include "cli/site_manifest.h"

namespace quillmoor::cli {

class SiteOutput {
  public:
    // Lines for the user (warnings, removals) go to note, one at a time, without the
    // program's name.
    using NoteSink = std::function<void(const std::string&)>;

    // plan must be of the site layout and outlive the site output.
    SiteOutput(const RunPlan& plan, const CliOptions& options, NoteSink note);

    // Before the run: reads the manifest (a damaged one is named and taken as empty),
    // takes the digest of every page of the plan, removes the results of the pages that the
    // manifest has for a site folder of the run and that are no longer in it (not when a
    // folder of the site could not be read: its pages would count as gone), and mirrors the
    // sites' other files into the tree of every language of the run.
    void Prepare();

    // Whether the page-language is stored and current: the manifest has it stored from a
    // source of the same digest with the same widget snippet, and its result exists as a
    // page of that language. Always false with --force.
    bool AlreadyStored(const PageTask& task) const;

    // Takes note of a finished page-language: one that was stored enters the manifest,
    // which is written now and then while the run goes on.
    void Recorded(const TaskRecord& record);

    // After the run: sets the alternate links of every stored page of the run's sites (or
    // takes them out when the run has no --base-url), writes the manifest and counts the
    // trees. False when something went wrong that leaves a tree incomplete (named in a
    // note): a mirror or the manifest that could not be written, alternates not set.
    bool Finish(const std::vector<TaskRecord>& records);

    // The counts of each language tree of the run, in the order of the run's languages.
    const std::vector<LanguageTreeCounts>& Trees() const { return trees_; }

  private:
    struct PageKey {
        std::string site;
        std::string page;
        friend bool operator<(const PageKey& a, const PageKey& b) {
            return a.site != b.site ? a.site < b.site : a.page < b.page;
        }
    };
    static PageKey KeyOf(const PageTask& task);
    LanguageTreeCounts& TreeOf(const std::string& code);
    void RemoveVanishedPages();
    void MirrorTrees();
    bool SetAlternates();
    bool WriteManifest();

    const RunPlan& plan_;
    const CliOptions& options_;
    NoteSink note_;
    SiteManifest manifest_;
    // The digest of each page of the plan; empty when it could not be read.
    std::map<PageKey, std::string> source_digests_;
    // The widget snippet's digest for each language code of the run.
    std::map<std::string, std::string> snippet_digests_;
    std::vector<LanguageTreeCounts> trees_;
    std::chrono::steady_clock::time_point manifest_written_;
    bool failed_ = false;
};

}  // namespace quillmoor::cli

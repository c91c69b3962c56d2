// The manifest of a site-layout output: what each page-language in the output folder was made
// from (the digests of its source page and of its widget snippet) and what became of it, so
// that a later run redoes only what changed and finds the pages the site no longer has.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quillmoor::cli {

// One page-language of a site-layout output.
struct ManifestEntry {
    std::string site;            // the absolute path of the site folder it came from, UTF-8
    std::string page;            // the page's path inside the site, "/" between folders, UTF-8
    std::string language;        // the widget's language code, e.g. "zh-CN"
    std::string source_digest;   // Sha256Hex of the source page's bytes
    std::string snippet_digest;  // Sha256Hex of the widget snippet for the language
    std::string outcome;         // the outcome's name as the report gives it, e.g. "stored"
    std::string alternates;  // a key for the alternate links written into the page ("" for none)

    bool operator==(const ManifestEntry&) const = default;
};

// The manifest file's name in the output folder.
inline constexpr std::u16string_view kManifestName = u".quillmoor-manifest";

// The manifest file's first line, which names its format.
inline constexpr std::string_view kManifestFirstLine = "quillmoor site manifest 1";

// The entries of a manifest, one per (site, page, language).
//
// The file is UTF-8 text: kManifestFirstLine, then one line per entry in the order of
// Entries(), its seven fields in the order of ManifestEntry separated by a tab. In a field,
// "%", tab, CR and LF are written as %25, %09, %0D and %0A. Every line ends with LF, so the
// same entries always give the same bytes.
class SiteManifest {
  public:
    // Reads the manifest of out_folder. A missing file gives an empty manifest. A file that
    // cannot be read or is not a manifest of this format (another first line, a broken line,
    // a page-language named twice, a last line without its end) gives an empty manifest too
    // and sets *problem (when given) to one line for the user saying why; *problem is emptied
    // otherwise. A run treats every page as new then; it never fails for it.
    static SiteManifest Read(const std::u16string& out_folder, std::string* problem = nullptr);

    // The entry of the page-language; null when there is none.
    const ManifestEntry* Find(std::string_view site, std::string_view page,
                              std::string_view language) const;
    // Adds entry, or replaces the one of the same site, page and language.
    void Set(ManifestEntry entry);
    // Removes the entry of the page-language. False when there was none.
    bool Remove(std::string_view site, std::string_view page, std::string_view language);
    // Every entry, sorted by site, page and language (bytewise).
    std::vector<ManifestEntry> Entries() const;
    // The entries of site whose page is not among pages (the pages a run found in the site
    // now), sorted as Entries() is.
    std::vector<ManifestEntry> VanishedFrom(std::string_view site,
                                            const std::set<std::string>& pages) const;

    // Writes the manifest into out_folder whole: a temporary file beside it is renamed over
    // it, so that a reader sees either the earlier file or all of the new one, and the
    // temporary file is removed again on a failure. Throws FileSystemError when it cannot
    // (out_folder missing or not writable, a full disk, a read-only manifest).
    void Write(const std::u16string& out_folder) const;

  private:
    // The key of an entry: its site, page and language.
    struct Key {
        std::string_view site;
        std::string_view page;
        std::string_view language;
    };
    // Orders entries, and entries with keys, by site, page and language.
    struct Order {
        using is_transparent = void;
        bool operator()(const ManifestEntry& a, const ManifestEntry& b) const;
        bool operator()(const ManifestEntry& a, const Key& b) const;
        bool operator()(const Key& a, const ManifestEntry& b) const;
    };

    std::set<ManifestEntry, Order> entries_;
};

}  // namespace quillmoor::cli

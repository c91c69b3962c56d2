#include "cli/site_manifest.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <new>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "pipeline/path_names.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor::cli {
namespace {

// The fields of a manifest line, in their order.
constexpr std::array<std::string ManifestEntry::*, 7> kFields = {
    &ManifestEntry::site,          &ManifestEntry::page,           &ManifestEntry::language,
    &ManifestEntry::source_digest, &ManifestEntry::snippet_digest, &ManifestEntry::outcome,
    &ManifestEntry::alternates,
};

// The manifest is handed to the file in pieces of about this size.
constexpr std::size_t kWriteBytes = std::size_t{64} << 10;

// Why a file is not a manifest of this format: the end of the sentence "Cannot use the
// manifest ...: ".
class FormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Appends field to line with its "%", tab, CR and LF escaped.
void AppendField(std::string_view field, std::string& line) {
    for (const char c : field) {
        switch (c) {
            case '%':
                line += "%25";
                break;
            case '\t':
                line += "%09";
                break;
            case '\r':
                line += "%0D";
                break;
            case '\n':
                line += "%0A";
                break;
            default:
                line += c;
        }
    }
}

std::string LineName(std::size_t number) {
    return "line " + std::to_string(number);
}

// The field as it was written, its escapes undone. Throws FormatError for a "%" that starts
// none of them and for a CR that is not escaped (the file went through a conversion of its
// line ends, for one).
std::string FieldOf(std::string_view written, std::size_t line_number) {
    std::string field;
    field.reserve(written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        const char c = written[i];
        if (c == '\r') {
            throw FormatError(LineName(line_number) + " holds a CR that is not written as %0D");
        }
        if (c != '%') {
            field += c;
            continue;
        }
        const std::string_view code = written.substr(i + 1, 2);
        if (code == "25") {
            field += '%';
        } else if (code == "09") {
            field += '\t';
        } else if (code == "0D") {
            field += '\r';
        } else if (code == "0A") {
            field += '\n';
        } else {
            throw FormatError(LineName(line_number) +
                              " holds a \"%\" that starts none of %25, %09, %0D and %0A");
        }
        i += code.size();
    }
    return field;
}

// Reads the lines of a manifest file into a manifest as its blocks come in.
class ManifestParser : public FileContentReceiver {
  public:
    explicit ManifestParser(SiteManifest& manifest) : manifest_(manifest) {}

    void Expect(std::uint64_t) override {}

    void Take(std::string_view block) override {
        for (std::size_t end; (end = block.find('\n')) != std::string_view::npos;
             block.remove_prefix(end + 1)) {
            if (partial_.empty()) {
                TakeLine(block.substr(0, end));
            } else {
                partial_ += block.substr(0, end);
                TakeLine(partial_);
                partial_.clear();
            }
        }
        partial_ += block;
        // A file that is no manifest (a large one without line ends, for one) is not
        // gathered up any further than its first line needs.
        if (lines_ == 0 && partial_.size() > kManifestFirstLine.size()) {
            throw WrongFirstLine();
        }
    }

    // Throws FormatError when the file ended before the end of a line.
    void Finish() const {
        if (lines_ == 0 && partial_.empty()) {
            throw FormatError("it is empty");
        }
        if (lines_ == 0 && partial_ != kManifestFirstLine) {
            throw WrongFirstLine();
        }
        if (!partial_.empty()) {
            throw FormatError("its last line has no end (it was cut off)");
        }
    }

  private:
    static FormatError WrongFirstLine() {
        return FormatError("its first line is not \"" + std::string(kManifestFirstLine) + "\"");
    }

    void TakeLine(std::string_view line) {
        ++lines_;
        if (lines_ == 1) {
            if (line != kManifestFirstLine) {
                throw WrongFirstLine();
            }
            return;
        }
        ManifestEntry entry;
        std::size_t field = 0;
        for (std::size_t start = 0;; ++field) {
            const std::size_t end = line.find('\t', start);
            if (field < kFields.size()) {
                entry.*kFields[field] = FieldOf(line.substr(start, end - start), lines_);
            }
            if (end == std::string_view::npos) {
                break;
            }
            start = end + 1;
        }
        if (++field != kFields.size()) {
            throw FormatError(LineName(lines_) + " has " + std::to_string(field) +
                              (field == 1 ? " field" : " fields") + " instead of " +
                              std::to_string(kFields.size()));
        }
        if (manifest_.Find(entry.site, entry.page, entry.language) != nullptr) {
            throw FormatError(LineName(lines_) + " names the page-language of an earlier line");
        }
        manifest_.Set(std::move(entry));
    }

    SiteManifest& manifest_;
    std::string partial_;  // the start of a line whose end has not come yet
    std::size_t lines_ = 0;
};

}  // namespace

bool SiteManifest::Order::operator()(const ManifestEntry& a, const ManifestEntry& b) const {
    return (*this)(a, Key{b.site, b.page, b.language});
}

bool SiteManifest::Order::operator()(const ManifestEntry& a, const Key& b) const {
    return std::tie(a.site, a.page, a.language) < std::tie(b.site, b.page, b.language);
}

bool SiteManifest::Order::operator()(const Key& a, const ManifestEntry& b) const {
    return std::tie(a.site, a.page, a.language) < std::tie(b.site, b.page, b.language);
}

SiteManifest SiteManifest::Read(const std::u16string& out_folder, std::string* problem) {
    if (problem != nullptr) {
        problem->clear();
    }
    const std::u16string path = JoinPath(out_folder, kManifestName);
    if (!FileExists(path) && !DirectoryExists(path)) {
        return {};
    }
    std::string why;
    try {
        SiteManifest manifest;
        ManifestParser parser(manifest);
        // The entries are read as they come, so the file's size sets no limit of its own.
        ReadFileContent(path, std::numeric_limits<std::uint64_t>::max(), parser);
        parser.Finish();
        return manifest;
    } catch (const FormatError& error) {
        why = error.what();
    } catch (const FileSystemError& error) {
        why = "it cannot be read: " + (error.Reason().empty() ? error.what() : error.Reason());
    } catch (const std::bad_alloc&) {
        why = "it is too large to hold in memory";
    }
    if (problem != nullptr) {
        *problem = "Cannot use the manifest \"" + Utf16ToUtf8(path) +
                   "\", so every page counts as new: " + why;
    }
    return {};
}

const ManifestEntry* SiteManifest::Find(std::string_view site, std::string_view page,
                                        std::string_view language) const {
    const auto found = entries_.find(Key{site, page, language});
    return found == entries_.end() ? nullptr : &*found;
}

void SiteManifest::Set(ManifestEntry entry) {
    auto place = entries_.find(Key{entry.site, entry.page, entry.language});
    if (place != entries_.end()) {
        place = entries_.erase(place);
    }
    entries_.insert(place, std::move(entry));
}

bool SiteManifest::Remove(std::string_view site, std::string_view page, std::string_view language) {
    const auto found = entries_.find(Key{site, page, language});
    if (found == entries_.end()) {
        return false;
    }
    entries_.erase(found);
    return true;
}

std::vector<ManifestEntry> SiteManifest::Entries() const {
    return {entries_.begin(), entries_.end()};
}

std::vector<ManifestEntry> SiteManifest::VanishedFrom(std::string_view site,
                                                      const std::set<std::string>& pages) const {
    std::vector<ManifestEntry> vanished;
    for (auto it = entries_.lower_bound(Key{site, {}, {}});
         it != entries_.end() && it->site == site; ++it) {
        if (!pages.contains(it->page)) {
            vanished.push_back(*it);
        }
    }
    return vanished;
}

void SiteManifest::Write(const std::u16string& out_folder) const {
    ReplaceFileContent(JoinPath(out_folder, kManifestName), [this](FileContentSink& sink) {
        std::string text(kManifestFirstLine);
        text += '\n';
        for (const ManifestEntry& entry : entries_) {
            for (std::size_t field = 0; field < kFields.size(); ++field) {
                if (field > 0) {
                    text += '\t';
                }
                AppendField(entry.*kFields[field], text);
            }
            text += '\n';
            if (text.size() >= kWriteBytes) {
                sink.Write(text);
                text.clear();
            }
        }
        sink.Write(text);
    });
}

}  // namespace quillmoor::cli

#include "pipeline/site_mirror.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "pipeline/page_text.h"
#include "platform/file_system.h"

namespace fs = std::filesystem;

namespace quillmoor {
namespace {

// Added to a file's name for the file that is to replace it.
constexpr std::u16string_view kRefreshSuffix = u".quillmoor-mirror";

// True when path is folder or lies below it (both in their canonical form).
bool LiesIn(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (p == path.end() || *p != *f) {
            return false;
        }
    }
    return true;
}

class Mirror {
  public:
    Mirror(const std::u16string& site, const std::u16string& tree,
           const MirrorExclusions& exclusions, MirrorPlacing placing)
        : tree_(tree), exclusions_(exclusions), placing_(placing) {
        std::error_code error;
        site_ = fs::canonical(fs::path(site), error);
        if (error || !fs::is_directory(site_, error)) {
            throw FileSystemError("Cannot list the folder", site,
                                  error ? error.message() : "it is not a folder");
        }
        left_out_folders_.push_back(fs::weakly_canonical(tree_, error));
        for (const std::u16string& folder : exclusions.folders) {
            left_out_folders_.push_back(fs::weakly_canonical(fs::path(folder), error));
        }
    }

    MirrorReport Run() {
        std::vector<fs::path> chain = {site_};
        Walk(site_, fs::path(), chain);
        return std::move(report_);
    }

  private:
    void PassOver(const fs::path& relative) {
        report_.passed_over.push_back(relative.generic_u16string());
    }

    // Mirrors what folder (the site's folder at relative, whose canonical path ends chain)
    // holds.
    void Walk(const fs::path& folder, const fs::path& relative, std::vector<fs::path>& chain) {
        std::error_code error;
        fs::directory_iterator entries(folder, error);
        if (error) {
            throw FileSystemError("Cannot list the folder", folder.u16string(), error.message());
        }
        bool tree_folder_made = false;
        for (const fs::directory_entry& entry : entries) {
            const fs::path name = entry.path().filename();
            const fs::path entry_relative = relative / name;
            const fs::file_status link_status = entry.symlink_status(error);
            fs::path real = entry.path();
            fs::file_status status = link_status;
            if (fs::is_symlink(link_status)) {
                real = fs::canonical(entry.path(), error);
                if (error || !LiesIn(real, site_)) {
                    PassOver(entry_relative);
                    continue;
                }
                status = fs::status(real, error);
            }
            if (fs::is_directory(status)) {
                // The folders walked are canonical, so are their entries but links.
                const fs::path& canonical = real;
                if (IsLeftOutFolder(canonical)) {
                    continue;
                }
                if (std::find(chain.begin(), chain.end(), canonical) != chain.end()) {
                    PassOver(entry_relative);  // a link back up: it would never end
                    continue;
                }
                chain.push_back(canonical);
                Walk(canonical, entry_relative, chain);
                chain.pop_back();
            } else if (fs::is_regular_file(status)) {
                if (IsLeftOutFile(entry.path(), entry_relative)) {
                    ++report_.left_out;
                    continue;
                }
                const fs::path destination = tree_ / entry_relative;
                if (!tree_folder_made) {
                    fs::create_directories(destination.parent_path(), error);
                    if (error) {
                        throw FileSystemError("Cannot create the folder",
                                              destination.parent_path().u16string(),
                                              error.message());
                    }
                    tree_folder_made = true;
                }
                MirrorFile(real, destination);
            } else {
                PassOver(entry_relative);
            }
        }
    }

    bool IsLeftOutFolder(const fs::path& canonical) const {
        return std::find(left_out_folders_.begin(), left_out_folders_.end(), canonical) !=
               left_out_folders_.end();
    }

    bool IsLeftOutFile(const fs::path& path, const fs::path& relative) const {
        if (exclusions_.is_left_out && exclusions_.is_left_out(relative.generic_u16string())) {
            return true;
        }
        // Only a name with "-temp" in it is read to see whether the program wrote it.
        const std::u16string name = path.filename().u16string();
        return name.find(u"-temp") != std::u16string::npos && IsTempPage(path.u16string());
    }

    void MirrorFile(const fs::path& source, const fs::path& destination) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(destination, error);
        if (!fs::exists(status)) {
            Place(source, destination);
            return;
        }
        if (fs::is_directory(status)) {
            throw FileSystemError("Cannot mirror the file", destination.u16string(),
                                  "a folder is in its place");
        }
        if (fs::is_regular_file(status) && IsSameContent(source, destination)) {
            ++report_.left;
            return;
        }
        fs::path refreshed = destination;
        refreshed += fs::path(std::u16string(kRefreshSuffix));
        fs::remove(refreshed, error);  // left by a run that was cut short
        Place(source, refreshed);
        fs::rename(refreshed, destination, error);
        if (error) {
            fs::remove(refreshed, error);
            throw FileSystemError("Cannot replace the file", destination.u16string(),
                                  error.message());
        }
    }

    // Whether the tree's file is the site's file, or a copy that has its size and time.
    static bool IsSameContent(const fs::path& source, const fs::path& destination) {
        std::error_code error;
        if (fs::equivalent(source, destination, error)) {
            return true;
        }
        const std::uintmax_t size = fs::file_size(source, error);
        if (error || fs::file_size(destination, error) != size || error) {
            return false;
        }
        const fs::file_time_type time = fs::last_write_time(source, error);
        return !error && fs::last_write_time(destination, error) == time && !error;
    }

    // Links or copies source to path, where nothing is.
    void Place(const fs::path& source, const fs::path& path) {
        std::error_code error;
        if (placing_ == MirrorPlacing::kHardLinkWhereAllowed) {
            fs::create_hard_link(source, path, error);
            if (!error) {
                ++report_.linked;
                return;
            }
        }
        const fs::file_time_type time = fs::last_write_time(source, error);
        if (!error) {
            fs::copy_file(source, path, error);
        }
        if (!error) {
            fs::last_write_time(path, time, error);
        }
        if (error) {
            std::error_code ignored;
            fs::remove(path, ignored);
            throw FileSystemError("Cannot copy the file", source.u16string(), error.message());
        }
        ++report_.copied;
    }

    fs::path site_;
    fs::path tree_;
    const MirrorExclusions& exclusions_;
    MirrorPlacing placing_;
    std::vector<fs::path> left_out_folders_;
    MirrorReport report_;
};

}  // namespace

MirrorReport MirrorSiteFiles(const std::u16string& site, const std::u16string& tree,
                             const MirrorExclusions& exclusions, MirrorPlacing placing) {
    return Mirror(site, tree, exclusions, placing).Run();
}

}  // namespace quillmoor

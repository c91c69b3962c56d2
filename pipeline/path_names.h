// Splitting and joining path texts. The rules depend on the path style: Windows paths
// separate names with backslashes and end a drive with a colon; POSIX paths use slashes.
// The file list holds paths of the system's own style, which is the default.
#pragma once

#include <string>
#include <string_view>

namespace quillmoor {

enum class PathStyle { kWindows, kPosix };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::kPosix;
#endif

// The separator that JoinPath puts between a folder and a name.
char16_t SeparatorOf(PathStyle style);

// The part of path after its last separator (Windows: backslash or colon); the whole path
// when it has none.
std::u16string FileNameOf(std::u16string_view path, PathStyle style = kNativePathStyle);

// The part of path from its last dot, the dot included, when that dot lies in the file
// name; otherwise empty.
std::u16string ExtensionOf(std::u16string_view path, PathStyle style = kNativePathStyle);

// The file name of path without its extension (".htaccess" gives an empty text).
std::u16string BaseNameOf(std::u16string_view path, PathStyle style = kNativePathStyle);

// The part of path before its last separator. A separator that ends a root stays (Windows:
// one right after a colon or after another backslash, so C:\a.html gives C:\; POSIX: the
// leading slash, so /a.html gives /). A final Windows colon stays (C:a.html gives C:).
std::u16string DirectoryOf(std::u16string_view path, PathStyle style = kNativePathStyle);

// folder, a separator and name. Windows paths always get the backslash, so the folder
// C:\ gives C:\\name, which the system reads as C:\name; POSIX paths get a slash unless
// the folder ends with one. An empty folder gives the name alone.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name,
                        PathStyle style = kNativePathStyle);

// path with "-" and number put in front of its extension: page-temp.html, 2 gives
// page-temp-2.html.
std::u16string NumberedPath(std::u16string_view path, unsigned number,
                            PathStyle style = kNativePathStyle);

// True when path is not empty and holds no character that the style forbids (Windows:
// control characters, < > " | ? * and a colon anywhere but after a leading drive letter;
// POSIX: the NUL character).
bool IsWellFormedPath(std::u16string_view path, PathStyle style = kNativePathStyle);

}  // namespace quillmoor

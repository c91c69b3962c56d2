#include "pipeline/path_names.h"

#include <gtest/gtest.h>

#include "pipeline/source_names.h"

namespace quillmoor {
namespace {

constexpr PathStyle W = PathStyle::kWindows;
constexpr PathStyle P = PathStyle::kPosix;

TEST(PathNames, BaseNameOf) {
    const struct {
        PathStyle style;
        std::u16string path;
        std::u16string base;
    } cases[] = {
        {W, u"C:\\site\\index.html", u"index"}, {W, u"C:\\site\\a.b.html", u"a.b"},
        {W, u"C:\\site\\README", u"README"},    {W, u"C:\\site\\.htaccess", u""},
        {W, u"C:\\my.site\\page", u"page"},     {W, u"C:page.htm", u"page"},
        {W, u"C:\\site/sub.d\\x", u"x"},        {W, u"index.html", u"index"},
        {P, u"/site/index.html", u"index"},     {P, u"/my.site/page", u"page"},
        {P, u"/site/.htaccess", u""},           {P, u"/site/a:b.html", u"a:b"},
        {P, u"/site\\x.d/page", u"page"},       {P, u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BaseNameOf(c.path, c.style), c.base) << std::string(c.path.begin(), c.path.end());
    }
}

struct SourceNamesCase {
    const char* name;
    PathStyle style;
    std::u16string path_text;
    std::u16string file_text;
    std::u16string dir;
    std::u16string file_name;
    std::u16string ext;
    std::u16string base;
    std::u16string temp_page;
    std::u16string resource_dir;
};

TEST(SourceNames, FromAFileListRow) {
    const SourceNamesCase cases[] = {
        {"folder", W, u"C:\\site\\", u"index.html", u"C:\\site", u"index.html", u".html", u"index",
         u"C:\\site\\index-temp.html", u"C:\\site\\index_files"},
        {"root of a drive", W, u"C:\\", u"a.html", u"C:\\", u"a.html", u".html", u"a",
         u"C:\\\\a-temp.html", u"C:\\\\a_files"},
        {"dot in the folder", W, u"C:\\my.site\\", u"page", u"C:\\my.site", u"page", u"", u"page",
         u"C:\\my.site\\page-temp", u"C:\\my.site\\page_files"},
        {"only an extension", W, u"C:\\site\\", u".htaccess", u"C:\\site", u".htaccess",
         u".htaccess", u"", u"C:\\site\\-temp.htaccess", u"C:\\site\\_files"},
        {"share", W, u"\\\\server\\share\\", u"a.htm", u"\\\\server\\share", u"a.htm", u".htm",
         u"a", u"\\\\server\\share\\a-temp.htm", u"\\\\server\\share\\a_files"},
        {"folder after a drive without a backslash", W, u"C:", u"a.txt", u"C:", u"a.txt", u".txt",
         u"a", u"C:\\a-temp.txt", u"C:\\a_files"},
        {"no folder at all", W, u"", u"a.html", u"", u"a.html", u".html", u"a", u"a-temp.html",
         u"a_files"},
        {"folder", P, u"/home/u/site/", u"index.html", u"/home/u/site", u"index.html", u".html",
         u"index", u"/home/u/site/index-temp.html", u"/home/u/site/index_files"},
        {"root", P, u"/", u"a.html", u"/", u"a.html", u".html", u"a", u"/a-temp.html", u"/a_files"},
        {"doubled slash", P, u"/site//", u"a.html", u"/site/", u"a.html", u".html", u"a",
         u"/site/a-temp.html", u"/site/a_files"},
        {"doubled backslash", W, u"C:\\site\\\\", u"a.html", u"C:\\site\\\\", u"a.html", u".html",
         u"a", u"C:\\site\\\\\\a-temp.html", u"C:\\site\\\\\\a_files"},
        {"colon and backslash are plain characters", P, u"/s/", u"c:\\a.b.html", u"/s",
         u"c:\\a.b.html", u".html", u"c:\\a.b", u"/s/c:\\a.b-temp.html", u"/s/c:\\a.b_files"},
        {"dot in the folder", P, u"/my.site/", u"README", u"/my.site", u"README", u"", u"README",
         u"/my.site/README-temp", u"/my.site/README_files"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SourceNames names(c.path_text, c.file_text, c.style);
        EXPECT_EQ(names.SourcePath(), c.path_text + c.file_text);
        EXPECT_EQ(names.SourceDir(), c.dir);
        EXPECT_EQ(names.SourceFileName(), c.file_name);
        EXPECT_EQ(names.SourceExt(), c.ext);
        EXPECT_EQ(names.SourceBaseName(), c.base);
        EXPECT_EQ(names.TempPagePath(), c.temp_page);
        EXPECT_EQ(names.ResourceDir(), c.resource_dir);
    }
}

TEST(PathNames, TaggedTemporaryPagesStayBesideTheSource) {
    SourceNames names(u"/s.d/", u"page.html", P);
    names.SetTempPageTag(u"-1f2e");
    EXPECT_EQ(names.TempPagePath(), u"/s.d/page-temp-1f2e.html");
    SourceNames bare(u"C:\\s.d\\", u"README", W);
    bare.SetTempPageTag(u"-7");
    EXPECT_EQ(bare.TempPagePath(), u"C:\\s.d\\README-temp-7");
    EXPECT_EQ(bare.ResourceDir(), u"C:\\s.d\\README_files");
}

TEST(PathNames, NumberedPathGoesBeforeTheExtension) {
    EXPECT_EQ(NumberedPath(u"C:\\s\\page-temp.html", 2, W), u"C:\\s\\page-temp-2.html");
    EXPECT_EQ(NumberedPath(u"C:\\s.d\\README-temp", 13, W), u"C:\\s.d\\README-temp-13");
    EXPECT_EQ(NumberedPath(u"/s.d/README-temp", 3, P), u"/s.d/README-temp-3");
    EXPECT_EQ(NumberedPath(u"/s/a.b-temp.htm", 2, P), u"/s/a.b-temp-2.htm");
}

TEST(PathNames, WellFormedPaths) {
    const struct {
        PathStyle style;
        std::u16string path;
        bool well_formed;
    } cases[] = {
        {W, u"C:\\result\\index.html\\de\\index_files", true},
        {W, u"\\\\server\\share\\x", true},
        {W, u"relative\\x", true},
        {W, u"", false},
        {W, u"C:\\a|b", false},
        {W, u"C:\\a?", false},
        {W, u"C:\\a*", false},
        {W, u"C:\\<a>", false},
        {W, u"C:\\\"a\"", false},
        {W, u"C:\\a:b", false},
        {W, u"1:\\a", false},
        {W, u"C:\\a\tb", false},
        {P, u"/a|b?*<>:\"\\", true},
        {P, u"", false},
        {P, std::u16string(u"/a\0b", 4), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWellFormedPath(c.path, c.style), c.well_formed)
            << std::string(c.path.begin(), c.path.end());
    }
}

TEST(SourceNames, ResultRootLiesInTheProgramFolder) {
    EXPECT_EQ(ResultRootFor(u"C:\\Program\\", W), u"C:\\Program\\result\\");
    EXPECT_EQ(ResultRootFor(u"C:\\Program", W), u"C:\\Program\\result\\");
    EXPECT_EQ(ResultRootFor(u"/opt/quillmoor/", P), u"/opt/quillmoor/result/");
    EXPECT_EQ(ResultRootFor(u"/opt/quillmoor", P), u"/opt/quillmoor/result/");
}

}  // namespace
}  // namespace quillmoor

#include "pipeline/source_file_choice.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmoor {
namespace {

std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

TEST(SourceFileChoice, TheOpenDialogFilterInTheFileDialogSyntax) {
    const std::vector<FilterChoice> choices = ParseBarFilter(kSourceFileFilter);
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_EQ(choices[0].caption, u"HTML(*.html;*.htm)");
    EXPECT_EQ(choices[0].patterns, (std::vector<std::u16string>{u"*.html", u"*.htm"}));
    EXPECT_EQ(choices[2].caption, u"HTML(*.html;*.htm) TXT(*.txt)");
    EXPECT_EQ(choices[2].patterns.size(), 3u);
    EXPECT_EQ(choices[3].caption, u"*.*");
    EXPECT_EQ(Narrow(DialogFilterText(choices)),
              "HTML(*.html;*.htm) (*.html *.htm);;TXT(*.txt) (*.txt);;"
              "HTML(*.html;*.htm) TXT(*.txt) (*.html *.htm *.txt);;*.* (*)");
}

TEST(SourceFileChoice, BarFiltersOfOtherShapes) {
    EXPECT_TRUE(ParseBarFilter(u"").empty());
    EXPECT_TRUE(ParseBarFilter(u"|").empty());
    // Without the trailing bar, and a caption whose patterns are missing.
    const std::vector<FilterChoice> choices = ParseBarFilter(u"A|*.a;;*.b|B");
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(Narrow(DialogFilterEntry(choices[0])), "A (*.a *.b)");
}

TEST(SourceFileChoice, FileListRows) {
    const struct {
        PathStyle style;
        std::u16string full;
        std::u16string file;
        std::u16string path;
    } cases[] = {
        {PathStyle::kWindows, u"C:\\site\\a.html", u"a.html", u"C:\\site\\"},
        {PathStyle::kWindows, u"C:\\site\\b.htm", u"b.htm", u"C:\\site\\"},
        {PathStyle::kWindows, u"D:\\a.html", u"a.html", u"D:\\"},
        {PathStyle::kWindows, u"\\\\server\\share\\p.txt", u"p.txt", u"\\\\server\\share\\"},
        {PathStyle::kWindows, u"C:\\my.site\\page", u"page", u"C:\\my.site\\"},
        {PathStyle::kPosix, u"/site/a.html", u"a.html", u"/site/"},
        {PathStyle::kPosix, u"/a.html", u"a.html", u"/"},
        {PathStyle::kPosix, u"/site/x\\y.html", u"x\\y.html", u"/site/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.full));
        const FileListRow row = FileListRowFor(c.full, c.style);
        EXPECT_EQ(row.file, c.file);
        EXPECT_EQ(row.path, c.path);
        EXPECT_EQ(row.path + row.file, c.full);
    }
}

}  // namespace
}  // namespace quillmoor

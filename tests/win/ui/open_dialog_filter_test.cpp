// The open dialog's filter going in and its answer coming out, in Win32's own form.
#include "win/ui/open_dialog_filter.h"

#include <gmock/gmock.h>

namespace quillmoor::win {
namespace {

using ::testing::ElementsAre;
using namespace std::string_literals;

TEST(OpenDialogFilterTest, PairsEachCaptionWithItsPatternsBetweenNuls) {
    EXPECT_EQ(OpenDialogFilter(ParseBarFilter(kSourceFileFilter)),
              u"HTML(*.html;*.htm)\0*.html;*.htm\0TXT(*.txt)\0*.txt\0"
              u"HTML(*.html;*.htm) TXT(*.txt)\0*.html;*.htm;*.txt\0*.*\0*.*\0\0"s);
    EXPECT_EQ(OpenDialogFilter({}), u"\0"s);
}

TEST(OpenDialogFilterTest, ReadsTheFilesOfTheAnswer) {
    struct Case {
        std::u16string answer;
        std::vector<std::u16string> paths;
    };
    const Case cases[] = {
        // One file: its full path.
        {u"C:\\site\\a.html\0\0"s, {u"C:\\site\\a.html"}},
        // Several: the folder, then the names.
        {u"C:\\site\0a.html\0b.htm\0\0"s, {u"C:\\site\\a.html", u"C:\\site\\b.htm"}},
        // At the root of a drive the folder already ends with its separator.
        {u"D:\\\0a.html\0b.txt\0\0"s, {u"D:\\a.html", u"D:\\b.txt"}},
        // Nothing chosen.
        {u"\0\0"s, {}},
        {u""s, {}},
        // The rest of the buffer after the closing NUL is not read.
        {u"C:\\x.txt\0\0C:\\stale\0"s, {u"C:\\x.txt"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OpenDialogPaths(c.answer), c.paths);
    }
}

}  // namespace
}  // namespace quillmoor::win

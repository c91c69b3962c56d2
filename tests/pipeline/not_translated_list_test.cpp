#include "pipeline/not_translated_list.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"

namespace quillmoor {
namespace {

TEST(NotTranslatedList, TheFinalMessageNamesEveryUntranslatedPageLanguage) {
    NotTranslatedList none;
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(none.ReportLines(), u"");
    EXPECT_EQ(TranslateDoneMessage(none), u"Translate Done!");

    NotTranslatedList some;
    some.Add(u"index.html", u"de");
    some.Add(u"about.html", u"es");
    some.Add(u"index.html", u"zh-CN");
    EXPECT_EQ(some.Count(), 3);
    EXPECT_EQ(TranslateDoneMessage(some),
              u"Translate Done!\n\nNot translated (nothing stored): 3\n"
              u"index.html: de, zh-CN\nabout.html: es");
}

TEST(NotTranslatedList, ManyFilesAreCountedBeyondTheNamedOnes) {
    NotTranslatedList many;
    const std::size_t files = NotTranslatedList::kNamedFiles + 3;
    for (std::size_t i = 0; i < files; ++i) {
        for (const char16_t* code : {u"fr", u"de"}) {
            many.Add(Utf8ToUtf16("page" + std::to_string(i) + ".html"), code);
        }
    }
    const std::u16string report = many.ReportLines();
    EXPECT_EQ(many.Count(), static_cast<int>(2 * files));
    EXPECT_TRUE(report.starts_with(u"Not translated (nothing stored): 26\npage0.html: fr, de\n"));
    EXPECT_NE(report.find(u"\npage9.html: fr, de\n"), std::u16string::npos);
    EXPECT_EQ(report.find(u"page10.html"), std::u16string::npos);
    EXPECT_TRUE(report.ends_with(u"\n... and 3 more file(s)"));
}

}  // namespace
}  // namespace quillmoor

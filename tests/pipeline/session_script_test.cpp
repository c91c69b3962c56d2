// The session script that both window front ends follow.
#include "pipeline/session_script.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"

namespace quillmoor {
namespace {

using Kind = SessionStep::Kind;

TEST(SessionScriptTest, ReadsEveryStepInOrder) {
    const SessionScript script = ParseSessionScript(
        u"# comment\nlog /tmp/l\n\nadd /a b.html\r\ntick fr\nanswer ok\n"
        u"  screenshot-after 500   /tmp/s.png \nscreenshot C:\\shots\\one.bmp\ntranslate\n"
        u"close\nexit\npress-after 20 pause\npress-after 0  cancel ");
    EXPECT_TRUE(script.problem.empty()) << Utf16ToUtf8(script.problem);
    ASSERT_EQ(script.steps.size(), 11u);
    const Kind kinds[] = {
        Kind::kLog,        Kind::kAdd,       Kind::kTick,  Kind::kAnswer, Kind::kScreenshotAfter,
        Kind::kScreenshot, Kind::kTranslate, Kind::kClose, Kind::kExit,   Kind::kPressAfter,
        Kind::kPressAfter};
    for (std::size_t i = 0; i < script.steps.size(); ++i) {
        EXPECT_EQ(script.steps[i].kind, kinds[i]) << i;
    }
    // A value keeps its inner blanks; the line's end (CR included) is not part of it.
    EXPECT_EQ(script.steps[1].text, u"/a b.html");
    EXPECT_EQ(script.steps[2].text, u"fr");
    EXPECT_EQ(script.steps[3].text, u"ok");
    EXPECT_EQ(script.steps[4].milliseconds, 500);
    EXPECT_EQ(script.steps[4].text, u"/tmp/s.png");
    EXPECT_EQ(script.steps[5].text, u"C:\\shots\\one.bmp");
    EXPECT_EQ(script.steps[9].milliseconds, 20);
    EXPECT_EQ(script.steps[9].text, u"pause");
    EXPECT_EQ(script.steps[10].milliseconds, 0);
    EXPECT_EQ(script.steps[10].text, u"cancel");
}

TEST(SessionScriptTest, AnEmptyScriptHasNoStepAndNoProblem) {
    for (const char16_t* empty : {u"", u"\n\n", u"# only a comment\r\n", u"   \n\t\n"}) {
        const SessionScript script = ParseSessionScript(empty);
        EXPECT_TRUE(script.steps.empty());
        EXPECT_TRUE(script.problem.empty());
    }
}

TEST(SessionScriptTest, AFaultNamesItsLineAndGivesNoStep) {
    struct Case {
        const char16_t* script;
        const char16_t* problem;
    };
    const Case cases[] = {
        {u"add\n", u"line 1: add needs a value"},
        {u"screenshot   \n", u"line 1: screenshot needs a value"},
        {u"answer maybe\n", u"line 1: answer is ok, cancel, yes or no"},
        {u"answer\n", u"line 1: answer is ok, cancel, yes or no"},
        {u"screenshot-after x /p\n", u"line 1: screenshot-after needs milliseconds and a path"},
        {u"screenshot-after -5 /p\n", u"line 1: screenshot-after needs milliseconds and a path"},
        {u"screenshot-after 500\n", u"line 1: screenshot-after needs milliseconds and a path"},
        {u"press-after 500\n", u"line 1: press-after needs milliseconds and pause or cancel"},
        {u"press-after 500 translate\n",
         u"line 1: press-after needs milliseconds and pause or cancel"},
        {u"press-after x pause\n", u"line 1: press-after needs milliseconds and pause or cancel"},
        {u"translate now\n", u"line 1: translate takes no value"},
        {u"tick fr\nfly\n", u"line 2: unknown step \"fly\""},
        // Blank and comment lines count, so the number is the line a person sees.
        {u"# one\n\nlog /l\r\nTick fr\n", u"line 4: unknown step \"Tick\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.script));
        const SessionScript script = ParseSessionScript(c.script);
        EXPECT_TRUE(script.steps.empty());
        EXPECT_EQ(script.problem, c.problem) << Utf16ToUtf8(script.problem);
    }
}

}  // namespace
}  // namespace quillmoor

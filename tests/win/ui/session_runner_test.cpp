// A scripted session on the Win32 main window: the same script words as the Qt program's.
#include "win/ui/session_runner.h"

#include <gmock/gmock.h>

#include "platform/utf.h"
#include "tests/support/test_folder.h"
#include "tests/win/ui/shown_main_window.h"
#include "win/ui/session_dialogs.h"

namespace quillmoor::win::test_support {
namespace {

using ::testing::HasSubstr;

TEST(SessionRunnerTest, AddsTicksAnswersTakesAScreenshotAndExits) {
    quillmoor::test_support::TestFolder folder;
    const std::u16string log = folder.Path(u"session.log");
    const std::u16string picture = folder.Path(u"shot.bmp");
    const SessionScript script = ParseSessionScript(
        u"log " + log + u"\nadd C:\\site\\index.html\nadd C:\\site\\b.htm\ntick fr\ntick xx\n" +
        u"answer no\nscreenshot " + picture + u"\nexit\n");
    ASSERT_TRUE(script.problem.empty()) << Utf16ToUtf8(script.problem);

    SessionDialogs dialogs;
    JobFlags flags;
    TForm3 form(dialogs, flags);
    form.Show();
    int translated = 0;
    form.SetTranslateHandler([&] { ++translated; });
    SessionRunner runner(script.steps, form, dialogs);
    runner.Start();

    // The steps run from the message loop, which the exit step ends.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    ASSERT_EQ(form.FileCount(), 2);
    EXPECT_EQ(form.FileName(1), u"b.htm");
    EXPECT_EQ(form.CountCheckedLanguages(), 1);
    EXPECT_EQ(translated, 0);
    EXPECT_TRUE(std::filesystem::exists(folder.Root() / "shot.bmp"));

    const std::string written = quillmoor::test_support::ReadBytes(folder.Root() / "session.log");
    EXPECT_THAT(written, HasSubstr("choose files -> C:\\site\\index.html\n"));
    EXPECT_THAT(written, HasSubstr("tick: no box for xx\n"));
    EXPECT_THAT(written, HasSubstr("screenshot "));
    EXPECT_THAT(written, ::testing::EndsWith("exit\nsession done\n"));
}

}  // namespace
}  // namespace quillmoor::win::test_support

#include "tests/bridge/chromium_engine_fixture.h"

#include <unistd.h>

#include <filesystem>

#include "tests/bridge/process_table.h"

namespace quillmoor::bridge_test {

void ChromiumEngineTest::SetUp() {
    if (ChromiumOnPath().empty()) {
        GTEST_SKIP() << "no Chromium on PATH (chromium, chromium-browser or google-chrome): the "
                        "engine library "
                        "has nothing to drive here";
    }
    library_ = &EngineLibrary::Get();
    app_ = EngineObjectPtr<TestApp>::Make(
        std::vector<std::string>{"--quillmoor-test-switch=from-app"});
    std::string program = "quillmoor";
    std::string rules = "--host-resolver-rules=MAP a.test 127.0.0.1, MAP b.test 127.0.0.1";
    char* argv[] = {program.data(), rules.data(), nullptr};
    cef_main_args_t args{2, argv};
    cef_settings_t settings{};
    settings.size = sizeof settings;
    settings.no_sandbox = 1;
    settings.multi_threaded_message_loop = 1;
    settings.log_severity = LOGSEVERITY_DISABLE;
    ASSERT_EQ(1, library_->cef_initialize(&args, &settings, app_->NewReference(), nullptr));
    ASSERT_TRUE(app_->Handler().WaitForContext(15s));
    chromium_ = ChromiumChildOf(getpid());
    ASSERT_NE(0, chromium_);
    profile_ = SwitchValueOf(chromium_, "user-data-dir");
    ASSERT_FALSE(profile_.empty());
}

cef_browser_t* ChromiumEngineTest::OpenBrowser(TestClient& client) {
    cef_window_info_t window = ViewWindow();
    const std::u16string blank = u"about:blank";
    cef_string_t url{reinterpret_cast<char16*>(const_cast<char16_t*>(blank.data())), blank.size(),
                     nullptr};
    cef_browser_settings_t settings{};
    settings.size = sizeof settings;
    const std::size_t before = client.CreatedThreads().size();
    EXPECT_EQ(1, library_->cef_browser_host_create_browser(&window, client.NewReference(), &url,
                                                           &settings, nullptr, nullptr));
    if (!client.WaitForBrowsers(before + 1, 10s) || !client.WaitForLoadEnds(1, 10s)) {
        ADD_FAILURE() << "the browser was not created and loaded";
        return nullptr;
    }
    client.ForgetLoadEnds();
    cef_browser_t* browser = client.Browser(before);
    opened_.push_back(browser);
    return browser;
}

cef_browser_t* ChromiumEngineTest::OpenBrowserAt(TestClient& client, const std::string& address) {
    cef_browser_t* browser = OpenBrowser(client);
    if (browser != nullptr) {
        LoadUrl(browser, address);
    }
    return browser;
}

void ChromiumEngineTest::ShutDown() {
    if (shut_down_ || library_ == nullptr) {
        return;
    }
    shut_down_ = true;
    for (cef_browser_t* browser : opened_) {
        browser->base.release(&browser->base);
    }
    opened_.clear();
    library_->cef_shutdown();
}

void ChromiumEngineTest::TearDown() {
    if (library_ == nullptr) {
        return;
    }
    ShutDown();
    if (!profile_.empty()) {
        EXPECT_TRUE(WaitUntilNoProcessHas(profile_, 10s)) << "Chromium outlived the engine";
        KillProcessesWith(profile_);
        EXPECT_FALSE(std::filesystem::exists(profile_)) << "the profile folder was left behind";
    }
    EXPECT_EQ(1, app_->ReferenceCount())
        << "the engine kept or lost a reference to the application";
    EXPECT_EQ(1, app_->Handler().ReferenceCount())
        << "the engine kept or lost a reference to the handler";
}

}  // namespace quillmoor::bridge_test

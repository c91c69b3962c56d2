// The values the engine works out by itself: what a load request navigates to, and how a
// page's request for a window is seen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bridge/load_address.h"
#include "bridge/window_request.h"
#include "tests/support/test_folder.h"

namespace quillmoor::bridge {
namespace {

using nlohmann::json;

TEST(AddressToLoad, TurnsPathsIntoFileUrlsAndLeavesAddressesAlone) {
    testing::TestFolder folder;
    const std::string work = folder.Root().string();
    testing::WriteBytes(folder.Root() / "here.html", "x");
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/page.html", "file:///home/u/page.html"},
        {"/home/u/My Page #2?.html", "file:///home/u/My%20Page%20%232%3F.html"},
        {"/tmp/%41;b[c]\\d", "file:///tmp/%2541%3Bb%5Bc%5D%5Cd"},
        {"/tmp/caf\xc3\xa9.html", "file:///tmp/caf%C3%A9.html"},
        {"  /tmp/a.html \r\n", "file:///tmp/a.html"},
        {"~/page.html", "file:///home/user/page.html"},
        {"here.html", "file://" + work + "/here.html"},
        {"./here.html", "file://" + work + "/here.html"},
        {"https://example.com/a b", "https://example.com/a b"},
        {"file:///C:/x.html", "file:///C:/x.html"},
        {"about:blank", "about:blank"},
        {"data:text/html,<p>x</p>", "data:text/html,<p>x</p>"},
        {"example.com/page", "http://example.com/page"},
        {"localhost:8080/x", "http://localhost:8080/x"},
        {"localhost:8080", "http://localhost:8080"},
        {"", ""},
        {" \t", ""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(expected, AddressToLoad(text, work, "/home/user")) << text;
    }
}

struct WindowCase {
    const char* name;
    json features;
    cef_window_open_disposition_t disposition;
};

class WindowDisposition : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowDisposition, FollowsTheWayThePageAsked) {
    const WindowRequest request =
        WindowRequest::FromWindowOpen({{"url", "http://a.test/p"},
                                       {"windowName", "w"},
                                       {"windowFeatures", GetParam().features},
                                       {"userGesture", true}});
    EXPECT_EQ(GetParam().disposition, request.Disposition());
    EXPECT_EQ("http://a.test/p", request.Url());
    EXPECT_EQ("w", request.WindowName());
    EXPECT_TRUE(request.UserGesture());
}

INSTANTIATE_TEST_SUITE_P(
    Chromium, WindowDisposition,
    ::testing::Values(
        WindowCase{"LinkWithTarget",
                   {"menubar", "toolbar", "status", "scrollbars", "resizable", "noopener"},
                   WOD_NEW_FOREGROUND_TAB},
        WindowCase{"PlainOpen",
                   {"menubar", "toolbar", "status", "scrollbars", "resizable"},
                   WOD_NEW_WINDOW},
        WindowCase{"OpenWithSize", {"width=300", "height=200", "resizable"}, WOD_NEW_POPUP},
        WindowCase{"OpenAsPopupWithoutOpener", {"resizable", "noopener"}, WOD_NEW_POPUP},
        WindowCase{"NoFeaturesReported", json::array(), WOD_NEW_POPUP}),
    [](const ::testing::TestParamInfo<WindowCase>& info) { return info.param.name; });

TEST(WindowRequest, PopupFeaturesCarryPositionSizeAndBars) {
    const WindowRequest request = WindowRequest::FromWindowOpen(
        {{"windowFeatures",
          {"left=10", "top=-20", "width=300", "height=x", "scrollbars", "status"}}});
    const cef_popup_features_t features = request.PopupFeatures();
    EXPECT_EQ(1, features.xSet);
    EXPECT_EQ(10, features.x);
    EXPECT_EQ(1, features.ySet);
    EXPECT_EQ(-20, features.y);
    EXPECT_EQ(1, features.widthSet);
    EXPECT_EQ(300, features.width);
    EXPECT_EQ(0, features.heightSet);
    EXPECT_EQ(0, features.menuBarVisible);
    EXPECT_EQ(0, features.toolBarVisible);
    EXPECT_EQ(1, features.statusBarVisible);
    EXPECT_EQ(1, features.scrollbarsVisible);

    const WindowRequest unknown;  // the page's request never came
    EXPECT_EQ(WOD_NEW_WINDOW, unknown.Disposition());
    EXPECT_EQ(1, unknown.PopupFeatures().menuBarVisible);
    EXPECT_EQ(0, unknown.PopupFeatures().widthSet);
}

}  // namespace
}  // namespace quillmoor::bridge

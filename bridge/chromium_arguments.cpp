#include "bridge/chromium_arguments.h"

#include <algorithm>
#include <array>

namespace quillmoor::bridge {

namespace {

// Quiet defaults: nothing is fetched from the network on Chromium's own account, no
// first-run or sync machinery, no throttling of a page that nobody sees, and every new
// window the page asks for is reported (the library asks the program about each).
constexpr std::array<std::string_view, 23> kDefaults = {
    "--disable-gpu",
    "--no-first-run",
    "--no-default-browser-check",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-default-apps",
    "--disable-extensions",
    "--disable-domain-reliability",
    "--disable-client-side-phishing-detection",
    "--disable-breakpad",
    "--no-pings",
    "--metrics-recording-only",
    "--password-store=basic",
    "--use-mock-keychain",
    "--disable-popup-blocking",
    "--disable-background-timer-throttling",
    "--disable-renderer-backgrounding",
    "--disable-backgrounding-occluded-windows",
    "--disable-hang-monitor",
    "--disable-prompt-on-repost",
    "--mute-audio",
    "--disable-features=Translate,OptimizationHints,MediaRouter,DialMediaRouteProvider,"
    "AutofillServerCommunication,CertificateTransparencyComponentUpdater",
};

// Switches the library decides alone.
constexpr std::array<std::string_view, 7> kReserved = {
    "headless",
    "remote-debugging-pipe",
    "remote-debugging-port",
    "remote-debugging-address",
    "user-data-dir",
    "type",
    "no-startup-window",
};

}  // namespace

std::string_view SwitchName(std::string_view text) {
    if (text.size() < 2 || text[0] != '-') {
        return {};
    }
    text.remove_prefix(text[1] == '-' ? 2 : 1);
    return text.substr(0, text.find('='));
}

std::vector<std::string> ChromiumArguments(const std::string& profile_folder,
                                           const std::vector<std::string>& switches) {
    std::vector<std::string> arguments(kDefaults.begin(), kDefaults.end());
    for (const std::string& text : switches) {
        const std::string_view name = SwitchName(text);
        if (name.empty() ||
            std::find(kReserved.begin(), kReserved.end(), name) != kReserved.end()) {
            continue;
        }
        arguments.push_back("--" +
                            std::string(std::string_view(text).substr(text[1] == '-' ? 2 : 1)));
    }
    arguments.insert(arguments.end(),
                     {"--headless", "--remote-debugging-pipe", "--user-data-dir=" + profile_folder,
                      "--no-sandbox", "about:blank"});
    return arguments;
}

}  // namespace quillmoor::bridge

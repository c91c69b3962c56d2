// The question a page's window.open asks the engine before it hands the page the new
// window: a small script, run first in every document of every browser, wraps window.open
// so that the page gets null for a window the program cancelled.
//
// Chromium creates the window the moment window.open runs, before anyone can be asked. So
// the wrapped window.open lets Chromium create it (the engine hears of it and decides it
// at once, see BridgeEngine), then asks with a prompt that the engine answers and the page
// never sees; the opener stands still until the answer comes. For a cancelled window the
// page gets null and the window is closed, so that its name is free again. A frame that
// may not show prompts gets no answer, and the window the page asked for.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace quillmoor::bridge {

enum class WindowAnswer { kOpen, kCancelled, kUnknown };

class WindowQuestion {
  public:
    // The script that wraps window.open.
    static const std::string& Script();
    // The question in a Page.javascriptDialogOpening event, if it is one; url is the
    // address of the window that was opened.
    static bool FromDialog(const nlohmann::json& params, std::string& url);
    // What the prompt answers.
    static std::string PromptText(WindowAnswer answer);
};

}  // namespace quillmoor::bridge

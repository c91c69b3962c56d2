#include "bridge/window_question.h"

#include "platform/enum_names.h"

namespace quillmoor::bridge {

namespace {

// Begins the prompt's message; no page shows a prompt with it.
constexpr const char kMarker[] = "quillmoor:window-opened:";

}  // namespace

const std::string& WindowQuestion::Script() {
    // The address is worked out as Chromium reports it: a missing or empty one is
    // about:blank. Everything the wrapper needs is taken before any script of the page runs.
    static const std::string script = std::string(R"JS((() => {
  const open = window.open;
  const ask = window.prompt;
  const apply = Reflect.apply;
  const Address = URL;
  const marker = ')JS") + kMarker + R"JS(';
  const addressOf = (url) => {
    if (url === undefined || url === null || String(url) === '') return 'about:blank';
    try { return new Address(String(url), document.baseURI).href; } catch (e) { return String(url); }
  };
  window.open = function (...args) {
    const opened = apply(open, this ?? window, args);
    if (opened === null) return null;
    let answer = null;
    try { answer = apply(ask, window, [marker + addressOf(args[0])]); } catch (e) {}
    if (answer === 'cancelled') {
      try { opened.close(); } catch (e) {}
      return null;
    }
    return opened;
  };
})();)JS";
    return script;
}

bool WindowQuestion::FromDialog(const nlohmann::json& params, std::string& url) {
    if (params.value("type", "") != "prompt") {
        return false;
    }
    const std::string message = params.value("message", "");
    const std::string marker = kMarker;
    if (message.compare(0, marker.size(), marker) != 0) {
        return false;
    }
    url = message.substr(marker.size());
    return true;
}

std::string WindowQuestion::PromptText(WindowAnswer answer) {
    static constexpr EnumName<WindowAnswer> kTexts[] = {
        {WindowAnswer::kOpen, "open"},
        {WindowAnswer::kCancelled, "cancelled"},
    };
    return std::string(NameOf(kTexts, answer, ""));
}

}  // namespace quillmoor::bridge

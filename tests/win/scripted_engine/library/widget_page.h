// The document of a page in the scripted engine: the page's text as the engine read it,
// and what the translation widget would do to it. There is no script engine: the widget is
// recognised by the snippet that brings it in, and the widget's work is written into the
// markup the way the widget's local stand-in (tests/widget_standin) does it in a browser.
//
// The model is plain text; it knows nothing of the engine's interface.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmoor::scripted_engine {

// Which widget the engine plays.
enum class WidgetStyle {
    kClassic,        // the earlier widget: menu frame "goog-te-menu-frame skiptranslate"
    kCurrent,        // the widget as it is served today (VIpgJd-... classes, font wrappers)
    kUntranslating,  // shows the classic menu frame without entries: never translates
};

// The widget style named by text ("classic", "current", "untranslating"); classic for
// anything else, an empty text included.
WidgetStyle WidgetStyleNamed(std::u16string_view text);

// A frame that the widget adds and that loads: its address, name and document.
struct WidgetFrame {
    std::u16string url;
    std::u16string name;
    std::u16string document;
};

// A call of window.open found in a script.
struct WindowOpenCall {
    std::u16string url;
    std::u16string name;
    bool with_features = false;  // a third argument: the page asks for a popup window
};

// The calls window.open('url'[, 'name'[, features]]) in script whose address (and name) are
// string literals, in the order written.
std::vector<WindowOpenCall> FindWindowOpenCalls(std::u16string_view script);

class WidgetPage {
  public:
    // The empty document of about:blank.
    WidgetPage();

    // The document of a page's text: made whole (an html root element around it where it
    // has none). When the text brings the widget in (the loader script of the widget's host
    // with a callback that the page defines, and the configuring script with its
    // includedLanguages), the widget's work on load is written in: its gadget in its
    // container and its language menu frame at the end of the body.
    static WidgetPage FromText(std::u16string text, WidgetStyle style);
    // An error page for an address that could not be loaded.
    static WidgetPage ErrorPage(std::u16string_view url, std::u16string_view error);

    // The document's markup as the engine serialises it.
    const std::u16string& Markup() const { return markup_; }
    // The document's text: the markup without tags, comments, scripts and styles.
    std::u16string Text() const;

    // Whether the widget's language menu is in the document.
    bool ShowsMenu() const { return menu_shown_; }
    // The language codes of the menu's entries (the snippet's includedLanguages).
    const std::vector<std::u16string>& MenuCodes() const { return codes_; }
    // The document of the menu frame.
    std::u16string MenuDocument() const;
    // The scripts written in the page (not loaded from elsewhere), in document order.
    std::vector<std::u16string> InlineScripts() const;

    // What running script in the page clicks in the widget's menu: the language code of the
    // entry, or nothing. The program's two pick scripts are recognised by their exact text
    // (handlers/page_scripts.h): the first clicks the first entry of the earlier widget's
    // menu; the second clicks, in the current widget's menu and only when the page holds no
    // menu frame of the earlier widget, the entry of the snippet's language (else the first
    // entry not marked current).
    std::optional<std::u16string> EntryClickedBy(std::u16string_view script) const;

    // The widget's work after a click on code's entry, as the stand-in does it: every text of
    // the body outside the widget's own elements is marked with the code ("Hello" ->
    // "[fr] Hello", inside two font wrappers for the current widget), the root element gets
    // the class translated-ltr (translated-rtl for a right-to-left language), and the
    // banner frame and tooltip block are written in. Returns the three frames that then load.
    // A page translated once stays as it is: a later click changes nothing and loads nothing.
    std::vector<WidgetFrame> Translate(const std::u16string& code);
    bool Translated() const { return translated_; }

  private:
    void ShowWidget(std::u16string_view container_id);
    void MarkTexts(const std::u16string& code);
    void MarkRoot(const std::u16string& code);
    std::vector<WidgetFrame> AddFrames(const std::u16string& code);
    // Where the body's content begins and ends in the markup.
    std::size_t BodyStart() const;
    std::size_t BodyEnd() const;

    std::u16string markup_;
    WidgetStyle style_ = WidgetStyle::kClassic;
    bool menu_shown_ = false;
    std::vector<std::u16string> codes_;
    std::u16string included_languages_;  // as the snippet writes it
    bool translated_ = false;
};

}  // namespace quillmoor::scripted_engine

// Runs the translation widget's stand-in (widget_standin.py) for a test or a benchmark:
// started on a free port of 127.0.0.1, ended by its process id when the object goes.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/no_copy.h"

namespace quillmoor::test_support {

// How fast the stand-in's widget works, to behave like a slow real widget; the defaults are
// the quick widget, whose menu is there as soon as its script has run and whose translation
// comes whole 50 ms after the click.
struct WidgetPace {
    // The language menu frame and its entries come this long after the widget's element was
    // made (the gadget shows at once).
    int menu_delay_ms = 0;
    // After a click the texts come in this many batches, each a share of the page's texts,
    // batch_gap_ms apart, the first 50 ms after the click; the translation mark on the root
    // element (class translated-ltr or translated-rtl) comes with the first.
    int batches = 1;
    int batch_gap_ms = 0;
    // The banner frame and the tooltip block with its hidden frames (the three frame loads
    // after a click) come this long after the click; with 0, with the first batch.
    int frames_delay_ms = 0;
    // This many first clicks on a language entry do nothing: the pick has to be repeated.
    int ignored_clicks = 0;

    // The pace as the script reads it: a word "key=value" for every value that differs from
    // the default, separated by blanks; empty for the default pace. Throws
    // std::invalid_argument for a negative value, fewer than one batch, or a time or count
    // beyond an hour's milliseconds.
    std::string Words() const;

    bool operator==(const WidgetPace&) const = default;
};

class WidgetStandinServer {
  public:
    // The modes, folders beside the script: the earlier widget as the program was written
    // for it; the widget as it is served today; a widget that loads but never translates.
    static constexpr const char* kFirstGeneration = "standin";
    static constexpr const char* kCurrentGeneration = "current";
    static constexpr const char* kUntranslating = "untranslating";

    // A slow real widget: the menu 1.5 s late, the texts in three batches 1 s apart, the
    // helper frames 1 s after the click.
    static constexpr WidgetPace kSlowPace{
        .menu_delay_ms = 1500, .batches = 3, .batch_gap_ms = 1000, .frames_delay_ms = 1000};

    // Starts the stand-in in mode at pace and waits until it listens; work_folder holds its
    // port file, mode file ("standin.mode": the mode, then the pace's words) and request log.
    // Throws std::runtime_error when it does not start, std::invalid_argument for a pace out
    // of range (see WidgetPace::Words).
    explicit WidgetStandinServer(const std::filesystem::path& work_folder,
                                 const std::string& mode = "standin", const WidgetPace& pace = {});
    ~WidgetStandinServer();
    QUILLMOOR_NO_COPY(WidgetStandinServer);

    // Serves mode at pace from the next request on (the server reads them at every request;
    // a page has the pace of the loader it was served). SetMode(mode) is the default pace.
    void SetMode(const std::string& mode, const WidgetPace& pace = {});
    // Serves pace from the next request on, in the mode last set.
    void SetPace(const WidgetPace& pace);

    int Port() const { return port_; }
    // The engine switches that send the widget's host names to the stand-in.
    std::vector<std::string> EngineSwitches() const;
    // Every request so far as "METHOD PATH?QUERY", in the order served.
    std::vector<std::string> Requests() const;
    bool WasAskedFor(const std::string& path_start) const;

    // The script, as this build knows it.
    static std::filesystem::path Script();

  private:
    void Stop();

    pid_t pid_ = 0;
    int port_ = 0;
    std::filesystem::path log_;
    std::filesystem::path mode_file_;
    std::string mode_;
};

}  // namespace quillmoor::test_support

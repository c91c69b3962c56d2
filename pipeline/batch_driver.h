// The batch: every listed source file in every ticked language, run by the Translate
// button's handler.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "pipeline/batch_tally.h"
#include "pipeline/batch_view.h"
#include "pipeline/job_flags.h"
#include "pipeline/job_signals.h"
#include "pipeline/not_translated_list.h"
#include "pipeline/page_translator.h"
#include "pipeline/run_clock.h"
#include "platform/no_copy.h"
#include "platform/thread_owner.h"

namespace quillmoor {

// How a press of Translate ended.
enum class BatchEnd {
    kNoFiles,      // refused: the file list is empty
    kNoLanguages,  // refused: no language is ticked
    kCancelled,    // a check saw CancelRequested
    kDone,         // every row was visited; "Translate Done!" was shown
    kIgnored,      // a batch was still running: the press did nothing at all
};

// Whether a batch is inside btnTranslateClick.
enum class BatchState { kIdle, kRunning };

// Lives on the GUI thread, which makes it and calls all of it (every public method checks
// it), and runs the whole batch there, inside btnTranslateClick. It
// keeps the window alive by pumping its messages between short sleeps, so the window's
// other handlers (Pause, Cancel, closing, the menu, the language buttons) run nested
// inside it; they only change the job flags, the buttons, the rows and the ticks.
class BatchDriver {
  public:
    // The folder of the running program, ending with a separator (where the result tree
    // goes); asked at every press of Translate.
    using ProgramFolder = std::function<std::u16string()>;

    // Everything passed in must outlive the driver. program_folder defaults to the folder of
    // the running executable.
    BatchDriver(BatchView& view, PageTranslator& translator, RunClock& clock, JobSignals& signals,
                JobFlags& flags, ProgramFolder program_folder = {});

    QUILLMOOR_NO_COPY(BatchDriver);

    // The Translate button's handler:
    //  - empties CapturedHtml and works out the result root;
    //  - refuses with "Please Add File(s)" (the file tab in front) when the list is empty,
    //    with "Please Select Language(s)" (the language tab in front) when nothing is
    //    ticked;
    //  - clears the job flags, sets the job buttons running, shows the start texts, locks
    //    the inputs;
    //  - visits the rows present now, in list order; for a row whose file exists, walks the
    //    language boxes and translates the page in every language ticked when it is
    //    reached; a missing file is passed over silently;
    //  - at every check that sees CancelRequested: resets the progress lines and returns;
    //  - at the end: "Translate Done!" with the tally, the progress lines reset, the flags
    //    cleared, the job buttons idle, then "Open the result directory?"; OK opens the
    //    result root when it exists (nothing, and no error, when it does not).
    // A press while a batch is still inside this handler (Cancel enables Translate at once,
    // but the running batch stops only at its next check) does nothing and returns
    // kIgnored: the running batch's names, flags and CapturedHtml stay as they are.
    // An error that a step does not catch (FileSystemError, among others) ends the batch
    // where it happens and is passed on to the caller, which shows it; the job buttons and
    // the locked inputs stay as they are, and a later press starts a new batch.
    BatchEnd btnTranslateClick();

    BatchState State() const;
    // The outcomes of the latest batch so far (also of one that was cancelled or failed).
    const BatchTally& Tally() const;
    // The root of the result tree as worked out at the latest press; empty before.
    const std::u16string& ResultRoot() const;

  private:
    BatchEnd RunBatch();
    // Visits the row at index row: kCancelled when a check saw CancelRequested.
    PollEnd VisitRow(int row, int languages);
    void Finish();

    // The GUI thread, which made the driver and runs the batch.
    ThreadOwner owner_;
    BatchView& view_;               // GUI thread
    PageTranslator& translator_;    // GUI thread
    RunClock& clock_;               // any thread (it is made for that)
    JobSignals& signals_;           // any thread (it is made for that)
    JobFlags& flags_;               // any thread (each flag is atomic)
    ProgramFolder program_folder_;  // GUI thread

    // GUI thread.
    BatchState state_ = BatchState::kIdle;
    std::u16string result_root_;
    BatchTally tally_;
    // The page-languages stored without the widget's translation, named in the final message.
    NotTranslatedList not_translated_;
    // What storing passed over in this batch (links out of a page's folder), one line each.
    std::vector<std::u16string> passed_over_;
};

}  // namespace quillmoor

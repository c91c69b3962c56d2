#include "pipeline/batch_driver.h"

#include <string>
#include <utility>

#include "pipeline/folder_copy.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_run.h"
#include "pipeline/source_names.h"
#include "platform/file_system.h"
#include "platform/no_copy.h"
#include "platform/program_location.h"
#include "platform/utf.h"

namespace quillmoor {

namespace {
// The most passed-over entries the closing message names; the rest are counted.
constexpr std::size_t kNamedPassedOver = 10;
}  // namespace

namespace {

std::u16string Count(int number) {
    return Utf8ToUtf16(std::to_string(number));
}

std::u16string FileProgressText(int row, int rows) {
    return Count(row) + u"/" + Count(rows) + u" File(s)";
}

// Marks the driver running for as long as it is in scope, also when an error leaves it.
class RunningScope {
  public:
    explicit RunningScope(BatchState& state) : state_(state) { state_ = BatchState::kRunning; }
    ~RunningScope() { state_ = BatchState::kIdle; }
    QUILLMOOR_NO_COPY(RunningScope);

  private:
    BatchState& state_;
};

}  // namespace

BatchDriver::BatchDriver(BatchView& view, PageTranslator& translator, RunClock& clock,
                         JobSignals& signals, JobFlags& flags, ProgramFolder program_folder)
    : view_(view),
      translator_(translator),
      clock_(clock),
      signals_(signals),
      flags_(flags),
      program_folder_(program_folder ? std::move(program_folder)
                                     : ProgramFolder(&RunningProgramFolder)) {}

BatchEnd BatchDriver::btnTranslateClick() {
    owner_.Check();
    if (state_ == BatchState::kRunning) {
        return BatchEnd::kIgnored;
    }
    const RunningScope running(state_);
    return RunBatch();
}

BatchState BatchDriver::State() const {
    owner_.Check();
    return state_;
}

const BatchTally& BatchDriver::Tally() const {
    owner_.Check();
    return tally_;
}

const std::u16string& BatchDriver::ResultRoot() const {
    owner_.Check();
    return result_root_;
}

BatchEnd BatchDriver::RunBatch() {
    signals_.SetCapturedHtml(std::u16string());
    result_root_ = ResultRootFor(program_folder_());

    if (view_.FileCount() == 0) {
        view_.ShowMessage(u"Please Add File(s)");
        view_.BringTabToFront(BatchTab::kFiles);
        return BatchEnd::kNoFiles;
    }
    const int languages = view_.CountCheckedLanguages();
    if (languages == 0) {
        view_.ShowMessage(u"Please Select Language(s)");
        view_.BringTabToFront(BatchTab::kLanguages);
        return BatchEnd::kNoLanguages;
    }

    tally_ = BatchTally();
    not_translated_ = NotTranslatedList();
    passed_over_.clear();
    flags_.Clear();
    view_.SetJobButtons(JobButtons::kRunning);
    view_.ShowFileProgress(FileProgressText(0, view_.FileCount()));
    view_.ShowLanguageProgress(Count(0) + u"/" + Count(languages) + u" Language(s)");
    view_.SetInputsEnabled(InputsState::kDisabled);

    // Rows added while the batch runs are not visited (but counted in the file line).
    const int rows = view_.FileCount();
    for (int row = 0; row < rows; ++row) {
        if (VisitRow(row, languages) == PollEnd::kCancelled) {
            view_.ResetProgress();
            return BatchEnd::kCancelled;
        }
    }
    Finish();
    return BatchEnd::kDone;
}

PollEnd BatchDriver::VisitRow(int row, int languages) {
    translator_.Pump();
    clock_.Sleep(kPollSleep);
    view_.ShowFileProgress(FileProgressText(row + 1, view_.FileCount()));
    clock_.Sleep(kPollSleep);
    while (flags_.PauseRequested()) {
        translator_.Pump();
        clock_.Sleep(kPollSleep);
    }
    if (flags_.CancelRequested()) {
        return PollEnd::kCancelled;
    }

    // The rows are only ever appended while the inputs are locked; a row that is gone all
    // the same counts as a missing file.
    if (row >= view_.FileCount()) {
        return PollEnd::kGoOn;
    }
    const SourceNames names(view_.FilePathText(row), view_.FileNameText(row));
    if (!FileExists(names.SourcePath())) {
        return PollEnd::kGoOn;
    }

    LanguageProgress progress{0, languages};
    for (std::size_t index = 0; index < view_.LanguageBoxCount(); ++index) {
        if (translator_.PollStep() == PollEnd::kCancelled) {
            return PollEnd::kCancelled;
        }
        // A tick changed while the batch runs counts from the language it is reached at.
        if (!view_.IsLanguageTicked(index)) {
            continue;
        }
        const PageRunResult result =
            translator_.TranslatePage(index, names, result_root_, progress);
        if (result.outcome == PageOutcome::kCancelled) {
            return PollEnd::kCancelled;
        }
        tally_.Add(result.outcome);
        for (const PassedOverEntry& entry : result.passed_over) {
            passed_over_.push_back(Utf8ToUtf16(PassedOverMessage(entry)));
        }
        if (result.outcome == PageOutcome::kNotTranslated) {
            not_translated_.Add(names.SourceFileName(), LanguageCodes()[index]);
        }
    }
    return PollEnd::kGoOn;
}

void BatchDriver::Finish() {
    std::u16string message = u"Translate Done!\n\n" + tally_.Summary();
    if (not_translated_.Count() > 0) {
        message += u"\n\n" + not_translated_.ReportLines();
    }
    // Resource entries that were not copied, because they lead out of the page's folder.
    if (!passed_over_.empty()) {
        message += u"\n\nNot copied: " + Utf8ToUtf16(std::to_string(passed_over_.size()));
        for (std::size_t i = 0; i < passed_over_.size() && i < kNamedPassedOver; ++i) {
            message += u"\n" + passed_over_[i];
        }
        if (passed_over_.size() > kNamedPassedOver) {
            message += u"\n... and " +
                       Utf8ToUtf16(std::to_string(passed_over_.size() - kNamedPassedOver)) +
                       u" more";
        }
    }
    view_.ShowMessage(message);
    view_.ResetProgress();
    flags_.Clear();
    view_.SetJobButtons(JobButtons::kIdle);
    if (view_.AskOkCancel(u"Open the result directory?") == OkCancel::kOk &&
        DirectoryExists(result_root_)) {
        view_.OpenFolder(result_root_);
    }
}

}  // namespace quillmoor

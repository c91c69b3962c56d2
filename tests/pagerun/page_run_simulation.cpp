#include "tests/pagerun/page_run_simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace quillmoor::test_support {

void Simulation::Sleep(Ms duration) {
    Record("sleep " + std::to_string(duration.count()));
    const Timestamp end = now_ + duration;
    if (end > kStart + kHorizon) {
        throw RunawaySimulation();
    }
    while (!engine_events_.empty() && engine_events_.begin()->first <= end) {
        auto next = engine_events_.begin();
        now_ = std::max(now_, next->first);
        std::function<void()> event = std::move(next->second);
        engine_events_.erase(next);
        event();
    }
    now_ = end;
}

void Simulation::Pump() {
    Record("pump");
    while (!user_actions_.empty() && user_actions_.begin()->first <= now_) {
        auto next = user_actions_.begin();
        std::function<void()> action = std::move(next->second);
        user_actions_.erase(next);
        action();
    }
}

void Simulation::EngineAt(Timestamp at, std::function<void()> event) {
    engine_events_.emplace(at, std::move(event));
}

void Simulation::UserAt(Timestamp at, std::function<void()> action) {
    user_actions_.emplace(at, std::move(action));
}

std::size_t Simulation::Count(const std::string& entry) const {
    return static_cast<std::size_t>(std::count(trace_.begin(), trace_.end(), entry));
}

ScriptedBrowser::ScriptedBrowser(Simulation& simulation, JobSignals& signals)
    : simulation_(simulation), signals_(signals) {}

ScriptedBrowser::Snapshot ScriptedBrowser::Take() const {
    return {signals_.PageLoaded(),   signals_.LoadStage1(), signals_.LoadStage2(),
            signals_.LoadStage3(),   signals_.HtmlReady(),  signals_.LastLoadTime(),
            signals_.HtmlReadyTime()};
}

void ScriptedBrowser::Note(const std::string& name) {
    simulation_.Record(name);
    commands_.push_back({name, simulation_.Now(), Take(), std::nullopt});
    const std::size_t index = commands_.size() - 1;
    // An engine event at this very moment runs at the start of the run's next sleep.
    simulation_.EngineAt(simulation_.Now(),
                         [this, index] { commands_[index].at_first_sleep = Take(); });
}

void ScriptedBrowser::LoadEndsAfter(const std::vector<Ms>& delays) {
    for (const Ms delay : delays) {
        simulation_.EngineAt(simulation_.Now() + delay,
                             [this] { signals_.OnLoadEnd(simulation_.Now()); });
    }
}

bool ScriptedBrowser::IsReady() const {
    return ready_;
}

bool ScriptedBrowser::ShowsPage(const std::u16string& path) const {
    return ready_ && !paths_.empty() && paths_.back() == path && navigated_at_ &&
           !(leaves_page_after_navigate &&
             simulation_.Now() >= *navigated_at_ + *leaves_page_after_navigate);
}

void ScriptedBrowser::Navigate(const std::u16string& path) {
    Note("navigate");
    paths_.push_back(path);
    navigated_at_ = simulation_.Now();
    picks_.clear();
    LoadEndsAfter(load_ends_after_navigate);
}

void ScriptedBrowser::PickLanguage() {
    Note("pick");
    picks_.push_back(simulation_.Now());
    if (picks_.size() > static_cast<std::size_t>(ignored_picks)) {
        LoadEndsAfter(load_ends_after_pick);
    }
}

std::u16string ScriptedBrowser::BatchPage(std::size_t number) {
    return u"<html class=\"translated-ltr\"><body>batch " +
           std::u16string(1, static_cast<char16_t>(u'0' + number)) + u"</body></html>";
}

std::u16string ScriptedBrowser::WidgetDocument(Timestamp now) const {
    if (!navigated_at_ || !menu_after_navigate || now < *navigated_at_ + *menu_after_navigate) {
        return std::u16string(kNoMenuPage);
    }
    const std::size_t answered = static_cast<std::size_t>(ignored_picks);
    if (picks_.size() <= answered) {
        return std::u16string(kMenuPage);
    }
    std::size_t arrived = 0;
    for (const Ms batch : batches_after_pick) {
        arrived += picks_[answered] + batch <= now ? 1 : 0;
    }
    if (arrived == 0 || batches_after_pick.empty()) {
        return std::u16string(kMenuPage);
    }
    return arrived < batches_after_pick.size() ? BatchPage(arrived) : delivery->second;
}

void ScriptedBrowser::ScrollToBottom() {
    Note("bottom");
}
void ScriptedBrowser::ScrollToMiddle() {
    Note("middle");
}
void ScriptedBrowser::ScrollToTop() {
    Note("top");
}

void ScriptedBrowser::RetrieveMarkup() {
    Note("retrieve");
    const bool scrolled =
        std::any_of(commands_.begin(), commands_.end(),
                    [](const Command& command) { return command.name == "bottom"; });
    if (delivery && !(mute_after_scroll && scrolled)) {
        // The markup is taken when it is asked for and arrives after the delay.
        std::u16string markup =
            document ? document(simulation_.Now()) : WidgetDocument(simulation_.Now());
        const Ms delay =
            scrolled && delivery_after_scroll ? *delivery_after_scroll : delivery->first;
        simulation_.EngineAt(simulation_.Now() + delay, [this, markup = std::move(markup)] {
            signals_.OnMarkupDelivered(markup, simulation_.Now());
        });
    }
}

void ScriptedBrowser::ReplaceBrowser() {
    Note("replace");
    if (!paths_.empty()) {
        temp_page_at_replace = std::filesystem::exists(std::filesystem::path(paths_.back()));
    }
    ready_ = false;
    if (ready_after_replace) {
        // The browser-created notice reaches the GUI thread through its message loop.
        simulation_.UserAt(simulation_.Now() + *ready_after_replace, [this] { ready_ = true; });
    }
}

const ScriptedBrowser::Command& ScriptedBrowser::First(const std::string& name) const {
    for (const Command& command : commands_) {
        if (command.name == name) {
            return command;
        }
    }
    ADD_FAILURE() << "no command " << name;
    static const Command none{};
    return none;
}

const ScriptedBrowser::Command& ScriptedBrowser::Last(const std::string& name) const {
    for (auto command = commands_.rbegin(); command != commands_.rend(); ++command) {
        if (command->name == name) {
            return *command;
        }
    }
    return First(name);
}

}  // namespace quillmoor::test_support

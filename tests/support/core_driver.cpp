#include "support/core_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace tetomu::test {

StartResult CoreDriver::start(const fs::path& programDirectory) {
    directory_ = programDirectory.native();
    window_ = std::make_unique<MemoWindow>(files_, codec_, static_cast<WindowPlatform&>(*this));
    window_->setTrace(&trace_);
    window_->observeText(this);
    const StartResult result = window_->start();
    runLater();
    return result;
}

void CoreDriver::showMessage(const std::u16string& text) {
    // A box's own event loop would run inside the action, and run what it has not finished.
    EXPECT_FALSE(inEvent_) << "a box shown inside an input method's event";
    messages_.push_back(text);
}

void CoreDriver::runLater() {
    while (!later_.empty()) {
        auto task = std::move(later_.front());
        later_.erase(later_.begin());
        task();
    }
}

// As an input method's events reach a text box, each one opening a composition or going on with
// the one open: the focus comes with an empty preedit, the first preedit takes the selection
// away, and each change of the preedit is a notice of a change that changes nothing.
void CoreDriver::compose(const Step& step) {
    MemoWindow& w = *window_;
    w.userCompose();
    w.userEdit({caret_, 0, u""});
    w.userCloseComposition(false);
    for (std::size_t i = 1; i <= step.text.size(); ++i) {
        w.userCompose();
        if (i == 1) replaceSelection(u"");
        w.userEdit({caret_, 0, u""});
    }
    if (step.text.empty()) return;
    if (step.open) return void(composed_ = step.result);
    w.userCompose();
    if (!step.result.empty()) replaceSelection(step.result);
    w.userCloseComposition(!step.result.empty());
}

// Told to give up the composition, the input method commits what it shows.
void CoreDriver::compositionClosing() {
    if (composed_.empty()) return;
    MemoWindow& w = *window_;
    w.userCompose();
    replaceSelection(std::exchange(composed_, {}));
    w.userCloseComposition(true);
}

void CoreDriver::apply(const Step& step) {
    MemoWindow& w = *window_;
    inEvent_ = step.kind == Step::Compose;
    switch (step.kind) {
        case Step::Type:
            for (std::size_t i = 0, n = 0; i < step.text.size(); i += n) {
                n = step.text[i] >= 0xD800 && step.text[i] <= 0xDBFF ? 2 : 1;  // a pair is one
                replaceSelection(
                    step.text[i] == u'\n' ? u"\r\n" : std::u16string_view(step.text).substr(i, n));
            }
            break;
        case Step::Commit:
            replaceSelection(step.text);
            break;
        case Step::Compose:
            compose(step);
            break;
        case Step::KeyInText:
            textKey(step.textKey);
            break;
        case Step::KeyInList:
            w.userListKey(step.listKey, 13, 0);
            break;
        case Step::LetterInList:
            w.userListLetter(step.text.at(0));
            break;
        case Step::Another:
            changeUntold_ = true;
            break;
        case Step::Wait:
            for (auto timers = std::exchange(timers_, {}); auto& task : timers)
                task();
            break;
        case Step::Click:
        case Step::DoubleClick:
        case Step::Drag:
            w.userSelect(step.row);
            break;
        case Step::Tick:
            w.userClickCheck();
            break;
        case Step::Menu:
            w.choose(step.command);
            break;
        default:  // the runner's own: Gone, OutsideFolder, NewFolder
            break;
    }
    inEvent_ = false;
    runLater();
    if (changeUntold_ && !(step.kind == Step::Another && step.beforeTold) && watched_) {
        changeUntold_ = false;
        watched_();
        runLater();
    }
}

std::vector<std::u16string> CoreDriver::rows() {
    std::vector<std::u16string> out;
    for (int i = 0; i < window_->memoList().count(); ++i)
        out.push_back(window_->memoList().title(i));
    return out;
}

void CoreDriver::replaceSelection(std::u16string_view text) {
    const std::size_t from = std::min(anchor_, caret_);
    const std::size_t to = std::max(anchor_, caret_);
    caret_ = anchor_ = from + text.size();
    window_->userEdit({from, to - from, std::u16string(text)});
}

void CoreDriver::textKey(TextKey key) {
    const std::u16string& text = window_->memoText().text();
    const bool selection = anchor_ != caret_;
    // A line break is one step of the caret.
    const std::size_t back = caret_ >= 2 && text.compare(caret_ - 2, 2, u"\r\n") == 0 ? 2 : 1;
    const std::size_t ahead = text.compare(caret_, 2, u"\r\n") == 0 ? 2 : 1;
    switch (key) {
        case TextKey::Enter:
            return replaceSelection(u"\r\n");
        case TextKey::Backspace:
            if (!selection && caret_ > 0) anchor_ = caret_ - back;
            return replaceSelection(u"");
        case TextKey::Delete:
            if (!selection && caret_ < text.size()) anchor_ = caret_ + ahead;
            return replaceSelection(u"");
        case TextKey::SelectAll:
            anchor_ = 0;
            caret_ = text.size();
            return;
        case TextKey::End:
            caret_ = anchor_ = text.size();
            return;
        case TextKey::Home:
            caret_ = anchor_ = 0;
            return;
    }
}

}  // namespace tetomu::test

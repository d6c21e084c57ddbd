#pragma once
// The core alone as a driver of the scenario table: each of a person's actions is one call on the
// window model, with a text box that keeps a caret and a selection as a widget does. It is the
// window's platform too: message boxes are recorded and closed at once, and what runs after the
// window shows runs at once. The kill and fault campaigns drive sessions through it too.
#include <algorithm>
#include <memory>

#include "store/file_system.h"
#include "support/scenario.h"
#include "window/window_platform.h"

namespace tetomu::test {

class CoreDriver final : public Driver, private TextBox::Observer, private WindowPlatform {
  public:
    explicit CoreDriver(FileSystem& files) : files_(files) {}

    StartResult start(const fs::path& programDirectory) override;
    void apply(const Step& step) override;

    std::vector<std::u16string> rows() override;
    int selected() override { return window_->memoList().selectedRow(); }
    std::u16string text() override { return window_->memoText().text(); }
    bool ticked() override { return window_->arrangeCheck().value() != 0; }
    std::array<bool, 2> inFrontMarks() override {
        return {window_->inFrontItem(0).checked(), window_->inFrontItem(1).checked()};
    }
    bool inFront() override { return inFront_; }
    bool ended() override { return window_->ended(); }

    MemoWindow& window() { return *window_; }

  private:
    bool anotherCopyRunning() override { return false; }
    NativeString programDirectory() override { return directory_; }
    void showMessage(const std::u16string& text) override;
    void showNotice(const std::u16string& text) override { messages_.push_back(noticed(text)); }
    void keepInFront(bool front) override { inFront_ = front; }
    void afterShown(std::function<void()> task) override { task(); }
    void afterEvent(std::function<void()> task) override { later_.push_back(std::move(task)); }
    void runAfter(int, std::function<void()> task) override { timers_.push_back(std::move(task)); }
    // The folder as a watcher sees it: a change is told once the burst is over, which here is
    // when the person's action that comes after it has been handled (or at once, when none
    // comes first).
    void watchFolder(const NativeString&, std::function<void()> changed) override {
        watched_ = std::move(changed);
    }
    void runLater();
    void compose(const Step& step);
    void showRuntimeError(const std::u16string& text) override { messages_.push_back(text); }
    void replaceSelection(std::u16string_view text);
    void textKey(TextKey key);
    void textAssigned() override { caret_ = anchor_ = 0; }
    void textReloaded() override {
        caret_ = anchor_ = std::min(caret_, window_->memoText().text().size());
    }
    void editRefitted(const TextEdit& refit) override {
        caret_ = anchor_ = refit.at + refit.inserted.size();
    }
    void compositionClosing() override;

    FileSystem& files_;
    Cp932Codec codec_;
    NativeString directory_;
    bool inFront_ = false;
    std::unique_ptr<MemoWindow> window_;
    std::vector<std::function<void()>> later_;
    std::vector<std::function<void()>> timers_;  // run by a Wait step
    std::function<void()> watched_;
    bool changeUntold_ = false;
    bool inEvent_ = false;     // an input method's event is being handled
    std::u16string composed_;  // what the input method shows of a composition left open
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
};

}  // namespace tetomu::test

// The scenario table run on the core alone: each of a person's actions is one call on the
// window model, on a real temporary folder, with a text box that keeps a caret as a widget does.
#include <gtest/gtest.h>

#include <memory>

#include "support/scenario.h"
#ifdef _WIN32
#include "store/file_system_win.h"
using PlatformFileSystem = tetomu::Win32FileSystem;
#else
#include "store/file_system_posix.h"
using PlatformFileSystem = tetomu::PosixFileSystem;
#endif

namespace tetomu::test {
namespace {

class CoreDriver final : public Driver, private TextBox::Observer {
  public:
    StartResult start(const fs::path& programDirectory) override {
        platform_.directory = programDirectory.native();
        window_ = std::make_unique<MemoWindow>(files_, codec_, platform_);
        window_->setTrace(&trace_);
        window_->observeText(this);
        return window_->start();
    }

    void apply(const Step& step) override {
        MemoWindow& w = *window_;
        switch (step.kind) {
            case Step::Type:
                for (std::size_t i = 0; i < step.text.size(); ++i) {
                    const bool pair = step.text[i] >= 0xD800 && step.text[i] <= 0xDBFF;
                    if (step.text[i] == u'\n') {
                        replaceSelection(u"\r\n");
                    } else {
                        replaceSelection(step.text.substr(i, pair ? 2 : 1));
                        i += pair;
                    }
                }
                break;
            case Step::Commit:
                replaceSelection(step.text);
                break;
            case Step::KeyInText:
                textKey(step.textKey);
                break;
            case Step::KeyInList:
                w.userListKey(step.listKey, 13, 0);
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
        }
    }
    HandlerTrace& trace() override { return trace_; }

    std::vector<std::u16string> rows() override {
        std::vector<std::u16string> out;
        for (int i = 0; i < window_->list().ListCount(); ++i)
            out.push_back(window_->list().List(i));
        return out;
    }
    int selected() override { return window_->list().ListIndex(); }
    std::u16string text() override { return window_->text().Text(); }
    bool ticked() override { return window_->check().Value() != 0; }
    std::array<bool, 2> inFrontMarks() override {
        return {window_->inFrontItem(0).Checked(), window_->inFrontItem(1).Checked()};
    }
    bool inFront() override { return !platform_.inFront.empty() && platform_.inFront.back(); }
    std::vector<std::u16string> messages() override { return platform_.messages; }
    bool ended() override { return window_->ended(); }

  private:
    // A text box's caret and selection, in the memo's units.
    void replaceSelection(std::u16string_view text) {
        const std::size_t from = std::min(anchor_, caret_);
        const std::size_t to = std::max(anchor_, caret_);
        caret_ = anchor_ = from + text.size();
        window_->userEdit({from, to - from, std::u16string(text)});
    }
    void textKey(TextKey key) {
        const std::u16string& text = window_->text().Text();
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
    void textAssigned() override { caret_ = anchor_ = 0; }
    void editRefitted(const TextEdit& refit) override {
        caret_ = anchor_ = refit.at + refit.inserted.size();
    }

    PlatformFileSystem files_;
    Cp932Codec codec_;
    FakePlatform platform_;
    HandlerTrace trace_;
    std::unique_ptr<MemoWindow> window_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
};

class CoreScenario : public testing::TestWithParam<std::size_t> {};

TEST_P(CoreScenario, Run) {
    const Scenario& s = scenarios()[GetParam()];
#ifdef _WIN32
    if (s.only == Only::Posix) GTEST_SKIP() << "POSIX only";
#else
    if (s.only == Only::Windows) GTEST_SKIP() << "Windows names";
#endif
    CoreDriver driver;
    runScenario(s, driver);
}

INSTANTIATE_TEST_SUITE_P(Table, CoreScenario, testing::Range<std::size_t>(0, scenarios().size()),
                         [](const auto& info) { return scenarioName(scenarios()[info.param]); });

}  // namespace
}  // namespace tetomu::test

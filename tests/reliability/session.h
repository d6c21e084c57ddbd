#pragma once
// Scripted and random sessions of the window on a real memo folder, and the check that nothing
// saved was lost. Shared by the kill campaign (the session runs in a child process that is killed
// with SIGKILL) and the fault campaign (one file call is refused).
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "store/cp932_codec.h"
#include "store/file_system.h"
#include "window/memo_window.h"
#include "window/window_platform.h"

namespace tetomu::reliability {

namespace fs = std::filesystem;

// Records what the window asked; message boxes close at once.
class QuietPlatform final : public WindowPlatform {
  public:
    explicit QuietPlatform(NativeString dir) : dir_(std::move(dir)) {}
    bool anotherCopyRunning() override { return false; }
    NativeString programDirectory() override { return dir_; }
    void MsgBox(const std::u16string&) override {}
    void SetWindowPos(InsertAfter, unsigned) override {}
    void runtimeError(const std::u16string& text) override { errors.push_back(text); }
    std::vector<std::u16string> errors;

  private:
    NativeString dir_;
};

struct Action {
    std::string name;
    std::function<void(MemoWindow&)> run;
};

// A session: the memos on disk at the start and the actions. Random sessions choose each action
// from the window's state as it stands, so one seed always gives the same run.
class Session {
  public:
    static Session scripted();
    static Session random(unsigned seed, int length);

    std::vector<std::u16string> initial;
    int length = 0;
    std::string name;
    // The action to take at step i, chosen from the window as it is.
    Action next(MemoWindow& window, int i);

  private:
    std::vector<Action> script_;
    std::mt19937 rng_;
    bool random_ = false;
};

// The memo texts on disk as raw bytes: position -> bytes, plus temp.txt as position -1.
using Texts = std::map<int, std::string>;
Texts memoTexts(const fs::path& memoDir);
bool consistent(const fs::path& memoDir, std::string* why = nullptr);

// Lays out the initial memos as the program would have stored them.
void layOut(const fs::path& memoDir, const std::vector<std::u16string>& memos);

// The texts after each completed action of an undisturbed run: snapshot[0] is the start.
struct Reference {
    std::vector<Texts> snapshots;
    std::vector<std::string> actionNames;
};

// A scratch folder on a RAM disk when there is one: the kill campaign forks thousands of times.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    const fs::path& path() const { return path_; }
    fs::path memoDir() const { return path_ / "memo"; }

  private:
    fs::path path_;
};

// Runs the session on `files` until it ends, or the window ends on a run-time error. `done`, when
// given, is told after each completed action (it may live in memory shared with a parent).
void runSession(Session session, FileSystem& files, const fs::path& base, volatile int* done,
                QuietPlatform* platform = nullptr, Reference* reference = nullptr);

// The verdict on a folder after a session was stopped with `done` actions completed.
struct Verdict {
    bool lost = false;           // a text saved before the stop is nowhere in the folder
    bool damaged = false;        // a memo file holds bytes that were never a whole text
    bool outOfStepRaw = false;   // index and files disagree before the restart
    bool restartFailed = false;  // the restart showed the run-time error box
    bool outOfStepAfter = false;
    int titlesOutOfStep = 0;  // index rows that differ from the title of their memo's text
    bool lostAfterRestart = false;
    std::string detail;
};
Verdict judge(const fs::path& base, const Reference& reference, int done);

}  // namespace tetomu::reliability

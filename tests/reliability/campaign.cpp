// The kill and fault campaigns, with their figures. Sessions are the scenario table's own
// (every scenario that runs without a run-time error, one keystroke an action) and seeded random
// ones, run by the core driver on a real folder.
//   kill    each session runs in a child process killed with SIGKILL after every change it makes
//           on disk (each step inside an atomic write, each rename and removal); the start-up
//           that follows is killed in the same way at each of its own changes; then the program
//           starts again and the folder is judged.
//   faults  each change is refused in turn with no space, access denied and an I/O error.
// The judge: after the restart the folder is in step (one index row per memo file, nothing
// left over) and is exactly a state the undisturbed run passed through during the action that
// was cut short: every text at its own position under its own title. Nothing else passes.
// Usage: tetomu_reliability [--quick] [kill|faults|all]. Exits 1 when anything failed.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <set>

#include "store/file_system_posix.h"
#include "store/index_file.h"
#include "store/memo_store.h"
#include "store/title.h"
#include "support/core_driver.h"

namespace tetomu::test {
namespace {

// The folder as the judge sees it: every name and its bytes.
using FolderState = std::map<std::string, std::string>;

// A state the program may be found in after a stop: none of its own steps is half done (no
// journal names one, no save is half written).
bool settled(const FolderState& state) {
    for (const auto& [name, bytes] : state) {
        if (name == "group.gl.journal" || name.ends_with(".saving")) return false;
    }
    return true;
}

// The program's changes on disk, counted as they happen: each step inside a write, each
// rename, removal and creation. `after` is told the count after each one.
class CountingFileSystem final : public FileSystem {
  public:
    std::function<void(long)> after;
    // Refuses the change with this number (counted from 1) before it happens.
    long refuse = 0;
    int refuseWith = 0;

    CountingFileSystem() {
        real_.afterWriteStep = [this](PosixFileSystem::WriteStep) { event(); };
    }
    long events() const { return events_; }

    std::string read(const fs::path& p) override { return real_.read(p); }
    std::string readOrCreate(const fs::path& p) override {
        const bool creates = real_.kind(p) == EntryKind::Missing;
        if (creates) change(p);
        std::string bytes = real_.readOrCreate(p);
        if (creates) event();
        return bytes;
    }
    void write(const fs::path& p, std::string_view bytes) override {
        change(p);
        real_.write(p, bytes);
    }
    void rename(const fs::path& from, const fs::path& to) override {
        change(from);
        real_.rename(from, to);
        event();
    }
    void remove(const fs::path& p) override {
        change(p);
        real_.remove(p);
        event();
    }
    EntryKind kind(const fs::path& p) override { return real_.kind(p); }
    void list(const fs::path& folder,
              const std::function<void(const FolderEntry&)>& visit) override {
        real_.list(folder, visit);
    }
    FolderLock lockFolder(const fs::path& folder) override { return real_.lockFolder(folder); }
    bool namesIgnoreCase() const override { return false; }
    StoreError refusal(StoreFault fault, const fs::path& p) const override {
        return real_.refusal(fault, p);
    }

  private:
    void change(const fs::path& p) {
        if (++changes_ != refuse) return;
        throw StoreError(refuseWith == ENOSPC   ? StoreFault::DiskFull
                         : refuseWith == EACCES ? StoreFault::AccessDenied
                                                : StoreFault::IoError,
                         refuseWith, std::strerror(refuseWith), p);
    }
    void event() {
        ++events_;
        if (after) after(events_);
    }
    PosixFileSystem real_;
    long events_ = 0;
    long changes_ = 0;
};

struct Session {
    std::string name;
    Folder start;
    std::vector<Step> steps;
};

// Every scenario that runs without a run-time error, its typing one keystroke an action.
std::vector<Session> tableSessions() {
    std::vector<Session> out;
    for (const Scenario& s : scenarios()) {
        if (!s.error.empty() || s.noMemoFolder || s.only != Only::All) continue;
        out.push_back({s.name, s.start, {}});
        for (const Step& step : s.steps) {
            if (step.kind != Step::Type) out.back().steps.push_back(step);
            for (const char16_t c : step.kind == Step::Type ? step.text : u"")
                out.back().steps.push_back(type(std::u16string(1, c)));
        }
    }
    return out;
}

// A person's day in a few dozen actions, drawn from a seed: the same seed, the same session.
Session randomSession(unsigned seed, int length) {
    std::mt19937 rng(seed);
    const auto pick = [&](unsigned n) { return int(rng() % n); };
    const std::u16string letters[] = {u"a", u"メ", u"モ", u"\n", u"z", u"〜", u"1"};
    Session s{
        "random " + std::to_string(seed), memos({u"zero", u"one\r\n1", u"two", u"three"}), {}};
    auto& steps = s.steps;
    for (int i = 0; i < length; ++i) {
        const int move = pick(12);
        if (move < 3)
            steps.push_back(click(pick(6)));
        else if (move < 5)
            steps.insert(steps.end(), {key(TextKey::End), type(letters[pick(7)])});
        else if (move == 5)
            steps.push_back(commit(u"貼り付け\r\nた行"));
        else if (move == 6)
            steps.insert(steps.end(), {key(TextKey::SelectAll), key(TextKey::Delete)});
        else if (move < 9)
            steps.push_back(menu(move == 7 ? Command::New : Command::Delete));
        else if (move < 11)
            steps.push_back(tick());
        else
            steps.push_back(key(pick(2) ? ListKey::Down : ListKey::Up));
    }
    return s;
}

// A scratch folder for one run, on a RAM disk where there is one: the campaign forks thousands
// of times.
class Scratch {
  public:
    Scratch() {
        const fs::path base =
            fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        path_ = base / ("tetomu-rel-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() { fs::remove_all(path_); }
    fs::path fresh(const Folder& start) {
        fs::remove_all(path_ / "run");
        fs::create_directories(path_ / "run" / "memo");
        for (const File& f : start)
            writeBytes(path_ / "run" / "memo" / f.name, f.bytes);
        return path_ / "run";
    }
    fs::path copy(const fs::path& from) {
        fs::remove_all(path_ / "copy");
        fs::copy(from, path_ / "copy", fs::copy_options::recursive);
        return path_ / "copy";
    }

  private:
    fs::path path_;
};

void play(const Session& s, CountingFileSystem& files, const fs::path& dir,
          const std::function<void(int)>& beforeAction = {}) {
    CoreDriver driver(files);
    if (beforeAction) beforeAction(0);
    if (driver.start(dir) != StartResult::Shown) return;
    for (std::size_t i = 0; i < s.steps.size() && !driver.ended(); ++i) {
        if (beforeAction) beforeAction(int(i) + 1);
        driver.apply(s.steps[i]);
    }
}

// The states an undisturbed run passes through: allowed[k] holds those during action k (the
// start being action 0), from the state before it to the state after it.
struct Reference {
    std::vector<std::set<FolderState>> allowed;
    std::vector<FolderState> before;  // the state each action starts from
    std::vector<long> firstEvent;     // the first change of each action
    long events = 0;
};

Reference reference(const Session& s, Scratch& scratch) {
    Reference ref;
    const fs::path dir = scratch.fresh(s.start);
    CountingFileSystem files;
    std::set<FolderState>* current = nullptr;
    files.after = [&](long) {
        const FolderState state = folderBytes(dir / "memo");
        if (settled(state)) current->insert(state);
    };
    play(s, files, dir, [&](int action) {
        const FolderState before = folderBytes(dir / "memo");
        ref.allowed.emplace_back();
        current = &ref.allowed.back();
        current->insert(before);
        ref.before.push_back(before);
        if (action > 0) ref.allowed[std::size_t(action) - 1].insert(before);
        ref.firstEvent.push_back(files.events() + 1);
    });
    ref.allowed.back().insert(folderBytes(dir / "memo"));
    ref.before.push_back(folderBytes(dir / "memo"));
    ref.events = files.events();
    return ref;
}

// The action that the change with this number belongs to.
std::size_t actionOf(const Reference& ref, long event) {
    std::size_t k = 0;
    while (k + 1 < ref.firstEvent.size() && ref.firstEvent[k + 1] <= event)
        ++k;
    return k;
}

struct Tally {
    long points = 0;
    long recoveryPoints = 0;
    long restartFailed = 0;
    long outOfStep = 0;
    long misplaced = 0;
    long lost = 0;
    long unclearErrors = 0;
    long between = 0;
    std::vector<std::string> failures;

    bool bad() const { return restartFailed || outOfStep || misplaced || lost || unclearErrors; }
    void fail(const std::string& what) {
        if (failures.size() < 20) failures.push_back(what);
    }
};

// Texts of the memo files, by name.
std::multiset<std::string> textsOf(const FolderState& state) {
    std::multiset<std::string> texts;
    for (const auto& [name, bytes] : state) {
        if (name != "group.gl") texts.insert(bytes);
    }
    return texts;
}

// Starts the program again on the folder and judges what it leaves.
void judge(const fs::path& dir, const Reference& ref, std::size_t action, const std::string& where,
           Tally& tally) {
    const std::set<FolderState>& allowed = ref.allowed[action];
    PosixFileSystem files;
    CoreDriver driver(files);
    if (driver.start(dir) != StartResult::Shown) {
        ++tally.restartFailed;
        return tally.fail(where + ": the restart failed");
    }
    const FolderState state = folderBytes(dir / "memo");
    if (allowed.count(state)) {
        // A state on the way through the action: a keystroke cut short between its memo and
        // its index (the title from before it), a new memo made but not yet swapped in.
        if (state != ref.before[action] && state != ref.before[action + 1]) ++tally.between;
        return;
    }
    if (!settled(state)) {
        ++tally.outOfStep;
        return tally.fail(where + ": a step is still half done after the restart");
    }
    // Not a state the program passes through: a text that every such state holds is gone, or
    // the texts are there at other places or under other titles.
    const auto texts = textsOf(state);
    bool lost = false;
    for (const std::string& text : textsOf(*allowed.begin())) {
        bool everywhere = true;
        for (const FolderState& other : allowed)
            everywhere = everywhere && textsOf(other).count(text);
        lost = lost || (everywhere && !texts.count(text));
    }
    ++(lost ? tally.lost : tally.misplaced);
    tally.fail(where + (lost ? ": a memo is lost" : ": a memo is at another place"));
}

// Kills the start-up on this folder at each of its own changes, judging each; then judges the
// start-up left alone.
void killRecovery(Scratch& scratch, const fs::path& dir, const Reference& ref, std::size_t action,
                  const std::string& where, Tally& tally) {
    const fs::path original = scratch.copy(dir);
    long changes = 0;
    {
        CountingFileSystem files;
        CoreDriver driver(files);
        driver.start(original);
        changes = files.events();
    }
    for (long m = 1; m <= changes; ++m) {
        const fs::path copy = scratch.copy(dir);
        if (const pid_t child = ::fork(); child == 0) {
            CountingFileSystem files;
            files.after = [m](long n) {
                if (n == m) ::raise(SIGKILL);
            };
            CoreDriver driver(files);
            driver.start(copy);
            std::_Exit(0);
        } else {
            ::waitpid(child, nullptr, 0);
        }
        ++tally.recoveryPoints;
        judge(copy, ref, action, where + ", start-up killed at " + std::to_string(m), tally);
    }
    judge(dir, ref, action, where, tally);
}

void killCampaign(const std::vector<Session>& sessions, Tally& tally) {
    Scratch scratch;
    for (const Session& s : sessions) {
        const Reference ref = reference(s, scratch);
        for (long n = 1; n <= ref.events; ++n) {
            const fs::path dir = scratch.fresh(s.start);
            if (const pid_t child = ::fork(); child == 0) {
                CountingFileSystem files;
                files.after = [n](long at) {
                    if (at == n) ::raise(SIGKILL);
                };
                play(s, files, dir);
                std::_Exit(0);
            } else {
                ::waitpid(child, nullptr, 0);
            }
            ++tally.points;
            killRecovery(scratch, dir, ref, actionOf(ref, n),
                         s.name + ", killed at change " + std::to_string(n), tally);
        }
    }
}

void faultCampaign(const std::vector<Session>& sessions, Tally& tally) {
    Scratch scratch;
    for (const Session& s : sessions) {
        const Reference ref = reference(s, scratch);
        for (const int error : {ENOSPC, EACCES, EIO}) {
            for (long n = 1;; ++n) {
                const fs::path dir = scratch.fresh(s.start);
                std::size_t action = 0;
                std::u16string box;
                {
                    // The copy that was refused ends before the next one starts.
                    CountingFileSystem files;
                    files.refuse = n;
                    files.refuseWith = error;
                    CoreDriver driver(files);
                    if (driver.start(dir) == StartResult::Shown) {
                        for (; action < s.steps.size() && !driver.ended(); ++action)
                            driver.apply(s.steps[action]);
                    }
                    if (!driver.ended()) break;  // every change of the session has been refused
                    box = driver.messages().back();
                }
                ++tally.points;
                if (box.find(u"実行時エラー") != 0 || box.find(u"memo") == std::u16string::npos)
                    ++tally.unclearErrors;
                const std::string where = s.name + ", change " + std::to_string(n) + " refused (" +
                                          std::strerror(error) + ")";
                judge(dir, ref, action, where, tally);
            }
        }
    }
}

void print(const char* what, const Tally& t) {
    std::printf("%s: %ld points", what, t.points);
    if (t.recoveryPoints) std::printf(" (+ %ld with the start-up killed too)", t.recoveryPoints);
    std::printf(
        "\n  memos lost %ld, misplaced %ld, restarts failed %ld, steps half done after the "
        "restart %ld\n  restarts in a state the action passes through on its way %ld\n",
        t.lost, t.misplaced, t.restartFailed, t.outOfStep, t.between);
    if (t.unclearErrors)
        std::printf("  error boxes without the fault or the path: %ld\n", t.unclearErrors);
    for (const auto& f : t.failures)
        std::printf("  FAIL %s\n", f.c_str());
}

}  // namespace
}  // namespace tetomu::test

int main(int argc, char** argv) {
    using namespace tetomu::test;
    bool quick = false;
    std::string which = "all";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick")
            quick = true;
        else
            which = arg;
    }
    std::vector<Session> sessions = tableSessions();
    const int randoms = quick ? 2 : 50;
    for (int seed = 1; seed <= randoms; ++seed)
        sessions.push_back(randomSession(unsigned(seed), quick ? 20 : 40));
    bool bad = false;
    if (which == "kill" || which == "all") {
        Tally t;
        killCampaign(sessions, t);
        print("kill", t);
        bad = bad || t.bad();
    }
    if (which == "faults" || which == "all") {
        Tally t;
        faultCampaign(sessions, t);
        print("faults", t);
        bad = bad || t.bad();
    }
    return bad ? 1 : 0;
}

// The reliability campaigns, with their figures:
//   kill    runs sessions in a child process and kills it with SIGKILL after every file call,
//           between the steps of every atomic write, and at random moments; after each kill the
//           folder is checked and the program started again in it.
//   faults  refuses each file call of each session in turn (no space, access denied, I/O error).
// Usage: tetomu_reliability [--quick] [kill|faults|all]. Exits 1 when anything was lost.
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "session.h"
#include "store/posix_file_system.h"
#include "store/store_error.h"

namespace tetomu::reliability {
namespace {

// Counts every file call and every step inside a write; at the chosen count the process kills
// itself, exactly as a kill from outside would stop it there.
class KillingFileSystem final : public FileSystem {
  public:
    explicit KillingFileSystem(long killAt) : killAt_(killAt) {
        real_.afterWriteStep = [this](PosixFileSystem::WriteStep step) {
            // Renamed is the end of the call, counted below.
            if (step != PosixFileSystem::WriteStep::Renamed) event();
        };
    }
    long events() const { return events_; }

    std::string read(const fs::path& p) override { return after(real_.read(p)); }
    std::string readOrCreate(const fs::path& p) override { return after(real_.readOrCreate(p)); }
    void write(const fs::path& p, std::string_view bytes) override {
        real_.write(p, bytes);
        event();
    }
    void rename(const fs::path& from, const fs::path& to) override {
        real_.rename(from, to);
        event();
    }
    void remove(const fs::path& p) override {
        real_.remove(p);
        event();
    }
    bool exists(const fs::path& p) override { return real_.exists(p); }

  private:
    std::string after(std::string bytes) {
        event();
        return bytes;
    }
    void event() {
        if (++events_ == killAt_) ::raise(SIGKILL);
    }
    PosixFileSystem real_;
    long killAt_;
    long events_ = 0;
};

struct Fault {
    const char* name;
    StoreFault fault;
    int code;
};
constexpr Fault kFaults[] = {
    {"no space", StoreFault::DiskFull, ENOSPC},
    {"access denied", StoreFault::AccessDenied, EACCES},
    {"I/O error", StoreFault::IoError, EIO},
};

// Refuses the n-th file call (0-based) with the given fault, before it touches anything.
class RefusingFileSystem final : public FileSystem {
  public:
    RefusingFileSystem(const Fault& fault, int refuse) : fault_(fault), refuse_(refuse) {}
    std::string read(const fs::path& p) override { return check(p), real_.read(p); }
    std::string readOrCreate(const fs::path& p) override { return check(p), real_.readOrCreate(p); }
    void write(const fs::path& p, std::string_view bytes) override {
        check(p);
        real_.write(p, bytes);
    }
    void rename(const fs::path& from, const fs::path& to) override {
        check(from);
        real_.rename(from, to);
    }
    void remove(const fs::path& p) override {
        check(p);
        real_.remove(p);
    }
    bool exists(const fs::path& p) override { return real_.exists(p); }
    fs::path refusedPath;

  private:
    void check(const fs::path& p) {
        if (calls_++ == refuse_) {
            refusedPath = p;
            throw StoreError(fault_.fault, fault_.code, std::strerror(fault_.code), p);
        }
    }
    Fault fault_;
    int refuse_;
    int calls_ = 0;
    PosixFileSystem real_;
};

struct Tally {
    long points = 0;
    long lost = 0;
    long damaged = 0;
    long outOfStepRaw = 0;
    long restartFailed = 0;
    long outOfStepAfter = 0;
    long titlesOutOfStep = 0;
    long unclearErrors = 0;
    std::map<std::string, long> outOfStepBy;  // raw disagreements by the action in flight
    std::vector<std::string> failures;

    bool bad() const { return lost || damaged || restartFailed || outOfStepAfter || unclearErrors; }
    void add(const Verdict& v, const std::string& session, const std::string& where,
             const Reference& reference, int done) {
        ++points;
        lost += v.lost || v.lostAfterRestart;
        damaged += v.damaged;
        restartFailed += v.restartFailed;
        outOfStepAfter += v.outOfStepAfter;
        titlesOutOfStep += v.titlesOutOfStep > 0;
        if (v.outOfStepRaw) {
            ++outOfStepRaw;
            const auto& names = reference.actionNames;
            std::string action =
                std::size_t(done) < names.size() ? names[std::size_t(done)] : "end";
            action = action.substr(0, action.find(' '));
            ++outOfStepBy[action];
        }
        if ((v.lost || v.lostAfterRestart || v.damaged || v.restartFailed || v.outOfStepAfter) &&
            failures.size() < 20)
            failures.push_back(session + ", " + where + ": " + v.detail);
    }
    void print(const char* what) const {
        std::printf("%s: %ld points, memos lost %ld, damaged files %ld, restarts failed %ld\n",
                    what, points, lost, damaged, restartFailed);
        std::printf("  index and files out of step right after the stop: %ld", outOfStepRaw);
        for (const auto& [action, n] : outOfStepBy)
            std::printf(" (%s %ld)", action.c_str(), n);
        std::printf(
            "\n  out of step after the restart: %ld; restarts with a title that differs from"
            " its memo's text: %ld\n",
            outOfStepAfter, titlesOutOfStep);
        if (unclearErrors)
            std::printf("  error boxes without the fault or the path: %ld\n", unclearErrors);
        for (const auto& f : failures)
            std::printf("  FAIL %s\n", f.c_str());
    }
};

std::vector<Session> sessions(bool quick) {
    std::vector<Session> all{Session::scripted()};
    const int seeds = quick ? 4 : 60;
    for (int seed = 1; seed <= seeds; ++seed)
        all.push_back(Session::random(unsigned(seed), quick ? 30 : 40));
    return all;
}

Reference referenceRun(const Session& session, long* events, bool* clean) {
    ScratchDir dir;
    layOut(dir.memoDir(), session.initial);
    KillingFileSystem files(0);
    QuietPlatform platform(dir.path().native());
    Reference reference;
    runSession(session, files, dir.path(), nullptr, &platform, &reference);
    *events = files.events();
    *clean = platform.errors.empty();
    return reference;
}

int* sharedCounter() {
    void* p =
        ::mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::runtime_error("mmap");
    return static_cast<int*>(p);
}

// Forks a child that runs the session (killing itself at killAt, when not 0); the parent kills it
// after `delay` when given. True when the child died of SIGKILL.
bool runChild(const Session& session, const fs::path& base, long killAt,
              std::chrono::microseconds delay, int* done) {
    *done = 0;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        KillingFileSystem files(killAt);
        runSession(session, files, base, done);
        ::_exit(0);
    }
    if (delay.count() > 0) {
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

bool killCampaign(bool quick) {
    Tally calls, timed;
    int* done = sharedCounter();
    std::mt19937 rng(20240601);
    long finishedFirst = 0;
    for (const Session& session : sessions(quick)) {
        long events = 0;
        bool clean = false;
        const Reference reference = referenceRun(session, &events, &clean);
        if (!clean) {
            std::printf("FAIL %s: the undisturbed run ended on an error\n", session.name.c_str());
            return false;
        }
        for (long at = 1; at <= events; ++at) {
            ScratchDir dir;
            layOut(dir.memoDir(), session.initial);
            if (!runChild(session, dir.path(), at, {}, done)) continue;
            calls.add(judge(dir.path(), reference, *done), session.name,
                      "kill point " + std::to_string(at), reference, *done);
        }
        // Random moments: the timer runs over the length of an undisturbed child run.
        ScratchDir timing;
        layOut(timing.memoDir(), session.initial);
        const auto t0 = std::chrono::steady_clock::now();
        runChild(session, timing.path(), 0, {}, done);
        const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - t0);
        // Most of a child's run is the fork and the start; aim within its first three quarters.
        std::uniform_int_distribution<long> when(1, std::max<long>(2, long(span.count()) * 3 / 4));
        const int shots = quick ? 15 : 25;
        for (int shot = 0; shot < shots; ++shot) {
            ScratchDir dir;
            layOut(dir.memoDir(), session.initial);
            const auto delay = std::chrono::microseconds(when(rng));
            if (!runChild(session, dir.path(), 0, delay, done)) {
                ++finishedFirst;
                continue;
            }
            timed.add(judge(dir.path(), reference, *done), session.name,
                      "timer " + std::to_string(delay.count()) + " us", reference, *done);
        }
    }
    calls.print("kill after each file call and each step of a write");
    timed.print("kill at a random moment");
    std::printf("  (%ld timer shots came after the session had ended)\n", finishedFirst);
    return !calls.bad() && !timed.bad();
}

bool faultCampaign(bool quick) {
    Tally tally;
    for (const Session& session : sessions(quick)) {
        long events = 0;
        bool clean = false;
        const Reference reference = referenceRun(session, &events, &clean);
        for (const Fault& fault : kFaults) {
            for (int n = 0;; ++n) {
                ScratchDir dir;
                layOut(dir.memoDir(), session.initial);
                RefusingFileSystem files(fault, n);
                QuietPlatform platform(dir.path().native());
                int done = 0;
                runSession(session, files, dir.path(), &done, &platform);
                if (platform.errors.empty())
                    break;  // every call of the session has been refused once
                const std::u16string& box = platform.errors.front();
                const std::string name = files.refusedPath.filename().string();
                const bool clear =
                    platform.errors.size() == 1 &&
                    box.find(u"実行時エラー") != std::u16string::npos &&
                    box.find(std::u16string(name.begin(), name.end())) != std::u16string::npos;
                tally.unclearErrors += !clear;
                tally.add(judge(dir.path(), reference, done), session.name,
                          std::string(fault.name) + " at call " + std::to_string(n), reference,
                          done);
            }
        }
    }
    tally.print("refused file calls");
    return !tally.bad();
}

}  // namespace
}  // namespace tetomu::reliability

int main(int argc, char** argv) {
    using namespace tetomu::reliability;
    bool quick = false;
    std::string what = "all";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else
            what = argv[i];
    }
    const auto t0 = std::chrono::steady_clock::now();
    bool ok = true;
    if (what == "kill" || what == "all") ok = killCampaign(quick) && ok;
    if (what == "faults" || what == "all") ok = faultCampaign(quick) && ok;
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%s in %.1f s\n", ok ? "PASS" : "FAIL", seconds);
    return ok ? 0 : 1;
}

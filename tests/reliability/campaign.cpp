// The kill, power-cut and fault campaigns, with their figures. Sessions are the scenario table's
// own (every scenario that runs without a run-time error, one keystroke an action) and seeded
// random ones, run by the core driver on a real folder.
//   kill    a stop after each of the session's file calls that keeps every call made: each
//           file's bytes as last written, every name change.
//   power   a power cut after each call: every folder a reboot may find, by the model below.
//           After a kill or a cut the program starts on each folder so found, and that start-up
//           is cut in turn after each of its own calls under the same model.
//   faults  each change (each write, creation, rename, removal and folder flush) is refused in
//           turn with no space, access denied and an I/O error; where the program goes on, the
//           session stops once the refused action is done.
// The judge: after the restart the folder is exactly a state that the undisturbed run passed
// through during the action that was cut short, with no step of the program's half done: every
// text at its own position under its own title. Nothing else passes.
// Usage: tetomu_reliability [--quick] [writer|kill|faults|power]. Exits 1 when anything failed.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <ranges>
#include <set>

#include "store/file_system_posix.h"
#include "support/core_driver.h"

namespace tetomu::test {
namespace {

// No journal names a step, and no save is half written.
bool settled(const Folder& state) {
    return std::ranges::none_of(state, [](const auto& file) {
        return file.first == "group.gl.journal" || file.first.ends_with(".saving");
    });
}

// A file call as the power-cut model sees it: a file made under a name (new and empty), bytes
// written to the file a name holds, that file flushed, a name moved or removed, the folder
// flushed. `action` is the person's action it belongs to.
struct Call {
    enum Kind { Create, Bytes, Flush, Rename, Unlink, FlushFolder } kind;
    std::string name, to, bytes;
    std::size_t action = 0;
};

// Records each file call as the cut models see it (with `calls` set), and refuses the change
// numbered `refuse` before it happens: each write, creation, rename, removal and folder flush.
class RecordingFileSystem final : public PosixFileSystem {
  public:
    std::vector<Call>* calls = nullptr;
    std::size_t action = 0;
    long refuse = 0;
    std::pair<StoreFault, int> refuseWith{};

    explicit RecordingFileSystem(std::vector<Call>* record = nullptr) : calls(record) {
        afterWriteStep = [this](WriteStep step) {
            static constexpr Call::Kind kinds[] = {Call::Create, Call::Bytes, Call::Flush,
                                                   Call::Rename};
            if (calls)
                calls->push_back({kinds[int(step)], writing_ + ".saving",
                                  step == WriteStep::Renamed ? writing_ : "",
                                  step == WriteStep::Written ? std::string(bytes_) : "", action});
        };
    }
    long changes() const { return changes_; }

    std::string readOrCreate(const fs::path& p) override {
        if (kind(p) == EntryKind::Missing) change(p, Call::Create, p.filename());
        return PosixFileSystem::readOrCreate(p);
    }
    void write(const fs::path& p, std::string_view bytes) override {
        change(p), writing_ = p.filename(), bytes_ = bytes;
        PosixFileSystem::write(p, bytes);
    }
    void rename(const fs::path& from, const fs::path& to) override {
        change(from, Call::Rename, from.filename(), to.filename());
        PosixFileSystem::rename(from, to);
    }
    void remove(const fs::path& p) override {
        change(p, Call::Unlink, p.filename());
        PosixFileSystem::remove(p);
    }
    void flushFolder(const fs::path& folder) override {
        change(folder, Call::FlushFolder);
        PosixFileSystem::flushFolder(folder);
    }

  private:
    // Counts the change, refuses it when its turn comes, and notes it as the call `kind`.
    void change(const fs::path& p, std::optional<Call::Kind> kind = {}, std::string name = {},
                std::string to = {}) {
        if (++changes_ == refuse)
            throw StoreError(refuseWith.first, refuseWith.second, std::strerror(refuseWith.second),
                             p);
        if (kind && calls) calls->push_back({*kind, std::move(name), std::move(to), {}, action});
    }
    long changes_ = 0;
    std::string writing_;
    std::string_view bytes_;
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
        for (const Step& step : s.steps)  // each step once, but typing a keystroke at a time
            for (const char16_t c : step.kind == Step::Type ? step.text : u" ")
                out.back().steps.push_back(step.kind == Step::Type ? type(std::u16string(1, c))
                                                                   : step);
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
    const auto next = [&](int move) -> std::vector<Step> {
        if (move < 3) return {click(pick(6))};
        if (move < 5) return {key(TextKey::End), type(letters[pick(7)])};
        if (move == 5) return {commit(u"貼り付け\r\nた行")};
        if (move == 6) return {key(TextKey::SelectAll), key(TextKey::Delete)};
        if (move < 9) return {menu(move == 7 ? Command::New : Command::Delete)};
        if (move < 11) return {tick()};
        return {key(pick(2) ? ListKey::Down : ListKey::Up)};
    };
    for (int i = 0; i < length; ++i)
        for (const Step& step : next(pick(12)))
            s.steps.push_back(step);
    return s;
}

// Scratch folders on a RAM disk where there is one: the campaigns lay thousands of folders.
const fs::path scratch =
    (fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
    ("tetomu-rel-" + std::to_string(::getpid()));
fs::path lay(const std::string& name, const Folder& start) {
    const fs::path dir = scratch / name;
    fs::remove_all(dir);
    makeMemoFolder(dir, start);
    return dir;
}

// Runs the session (or only the start) on the folder; beforeAction is told each action first,
// and the session stops where it says false. Returns the box the program ended with, or nothing
// when it did not end.
std::optional<std::u16string> play(
    const Session* s, RecordingFileSystem& files, const fs::path& dir,
    const std::function<bool(int)>& beforeAction = [](int) { return true; }) {
    CoreDriver driver(files);
    beforeAction(0);
    if (driver.start(dir) == StartResult::Shown && s)
        for (std::size_t i = 0; i < s->steps.size() && !driver.ended() && beforeAction(int(i) + 1);
             ++i)
            driver.apply(s->steps[i]);
    return driver.ended() ? std::optional(driver.messages().back()) : std::nullopt;
}

// What a stop after a call leaves. A file holds the bytes last written (kill) or last flushed
// (power cut; none for a file never flushed). Of the name changes (a file made, renamed or
// removed) made since the folder's last flush:
//   kill       all survive;
//   ordered    a prefix survives, in the order made (ext4's default mount);
//   any order  any of them survive, each applied to the file it named when it was made, but one
//              name's changes keep their order (a file is not renamed before it was made).
// Every prefix is tried; under any order every choice while there are at most 2^6 of them, then
// each change left out alone and `sampled` random choices drawn from the call's number.
enum class Model { Kill, Ordered, AnyOrder };

std::vector<std::vector<bool>> choices(std::size_t n, Model model, int sampled, unsigned seed) {
    if (model == Model::Kill) return {std::vector<bool>(n, true)};
    std::mt19937 rng(seed);
    const bool ordered = model == Model::Ordered, all = n <= 6;
    std::vector<std::vector<bool>> out(n + std::size_t(sampled), std::vector<bool>(n));
    if (ordered || all) out.resize(ordered ? n + 1 : std::size_t(1) << n, std::vector<bool>(n));
    for (std::size_t i = 0; i < out.size(); ++i)
        for (std::size_t j = 0; j < n; ++j)
            out[i][j] = ordered ? j < i : all ? (i >> j & 1) != 0 : i < n ? j != i : rng() % 2 != 0;
    return out;
}

// Every folder the model allows after a stop after each call, from the folder `start` kept.
void afterCuts(const Folder& start, const std::vector<Call>& calls, Model model, int sampled,
               const std::function<void(std::size_t, const Folder&)>& visit) {
    // Files by number: the bytes written and flushed; names as they are and as flushed.
    std::vector<std::string> written, flushed;
    const std::vector<std::string>& kept = model == Model::Kill ? written : flushed;
    std::map<std::string, std::size_t> now;
    for (const auto& [name, bytes] : start)
        now[name] = written.size(), written.push_back(bytes), flushed.push_back(bytes);
    auto durable = now;
    std::vector<std::pair<const Call*, std::size_t>> pending;  // name changes since
    const auto apply = [](auto& names, const Call& c, std::size_t file) {
        if (const auto it = names.find(c.name); it != names.end() && it->second == file)
            names.erase(it);
        if (c.kind != Call::Unlink) names[c.kind == Call::Create ? c.name : c.to] = file;
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call& c = calls[i];
        std::size_t file = now.count(c.name) ? now[c.name] : 0;
        if (c.kind == Call::Create)
            file = written.size(), written.emplace_back(), flushed.emplace_back();
        if (c.kind == Call::Bytes) written[file] = c.bytes;
        if (c.kind == Call::Flush) flushed[file] = written[file];
        if (c.kind == Call::FlushFolder) durable = now, pending.clear();
        if (c.kind == Call::Create || c.kind == Call::Rename || c.kind == Call::Unlink)
            apply(now, c, file), pending.emplace_back(&c, file);
        for (const auto& choice : choices(pending.size(), model, sampled, unsigned(i))) {
            // One name's changes keep their order: a change whose name an earlier change left
            // out touched is left out too.
            auto names = durable;
            std::set<std::string> undone;
            for (std::size_t j = 0; j < pending.size(); ++j) {
                const Call& p = *pending[j].first;
                if (choice[j] && !undone.count(p.name) && !undone.count(p.to))
                    apply(names, p, pending[j].second);
                else
                    undone.insert(p.name), undone.insert(p.kind == Call::Rename ? p.to : p.name);
            }
            Folder after;
            for (const auto& [name, f] : names)
                after[name] = kept[f];
            visit(i, after);
        }
    }
}

// The states an undisturbed run passes through: allowed[k] those during action k (the start
// being action 0), from the state before it (before[k]) to the state after it.
struct Reference {
    std::vector<std::set<Folder>> allowed;
    std::vector<Folder> before;
    long changes = 0;
    std::vector<Call> calls;
    std::vector<bool> moved;  // the action made, removed or moved a memo (or the start a file)
};

Reference reference(const Session& s) {
    Reference ref;
    const fs::path dir = lay("run", s.start);
    RecordingFileSystem files(&ref.calls);
    play(&s, files, dir, [&](int action) {
        files.action = std::size_t(action);
        ref.before.push_back(folderBytes(dir / "memo"));
        return true;
    });
    ref.before.push_back(folderBytes(dir / "memo"));
    ref.changes = files.changes();
    for (std::size_t k = 0; k + 1 < ref.before.size(); ++k) {
        const Folder &from = ref.before[k], &to = ref.before[k + 1];
        ref.allowed.push_back({from, to});
        int changed = 0;
        for (const auto& [name, bytes] : from)
            changed += !to.count(name) ? 2 : name != "group.gl" && to.at(name) != bytes;
        ref.moved.push_back(changed > 1 || from.size() != to.size());
    }
    // The states between come from the calls, as a kill leaves them; at each action's last call
    // that is the folder on disk, or a call went unrecorded and every cut campaign is blind.
    afterCuts(s.start, ref.calls, Model::Kill, 0, [&](std::size_t i, const Folder& now) {
        const std::size_t action = ref.calls[i].action;
        if (settled(now)) ref.allowed[action].insert(now);
        if ((i + 1 == ref.calls.size() || ref.calls[i + 1].action != action) &&
            now != ref.before[action + 1]) {
            std::fprintf(stderr, "%s: the calls recorded do not make the folder\n", s.name.c_str());
            std::exit(2);
        }
    });
    return ref;
}

struct Tally {
    long points = 0, startupCuts = 0, restartFailed = 0, halfDone = 0, misplaced = 0, lost = 0,
         unclearErrors = 0, between = 0, states = 0, behind = 0, wentOn = 0;
    std::vector<std::string> failures;

    bool bad() const { return restartFailed || halfDone || misplaced || lost || unclearErrors; }
    void fail(long& count, const std::string& what) {
        ++count;
        if (failures.size() < 20) failures.push_back(what);
    }
};

std::multiset<std::string> textsOf(const Folder& state) {
    std::multiset<std::string> texts;
    for (const auto& [name, bytes] : state)
        if (name != "group.gl") texts.insert(bytes);
    return texts;
}

// A folder as the parts a save replaces whole: each memo file, and each row of the index.
std::map<std::string, std::string> partsOf(const Folder& state) {
    std::map<std::string, std::string> parts;
    for (const auto& [name, bytes] : state)
        parts[name] = name == "group.gl" ? "" : bytes;
    const std::string index = state.count("group.gl") ? state.at("group.gl") : "";
    for (std::size_t at = 0, end, row = 0; (end = index.find("\r\n", at)) != std::string::npos;
         at = end + 2)
        parts["group.gl\n" + std::to_string(row++)] = index.substr(at, end - at);
    return parts;
}

// After a power cut the keystrokes made since the last memo was made, removed or moved may be
// taken back, each memo file and each index row on its own: the folder is one the action passed
// through, with any text or title an earlier one of the same memo or row from those keystrokes.
bool keystrokesTakenBack(const Folder& state, const Reference& ref, std::size_t action) {
    std::size_t from = action;
    while (from > 0 && !ref.moved[from - 1])
        --from;
    std::multimap<std::string, std::string> earlier;  // a text or title, and one before it
    const auto took = [&](const Folder& before, const Folder& after) {
        const auto was = partsOf(before);
        for (const auto& [part, text] : partsOf(after))
            if (was.count(part) && was.at(part) != text) earlier.emplace(text, was.at(part));
    };
    for (std::size_t k = from; k < action + !ref.moved[action]; ++k)
        took(ref.before[k], ref.before[k + 1]);
    // A composition that a new memo or a delete commits first is saved as keystrokes are, before
    // any name moves: those saves may be taken back too.
    for (const Folder& t : ref.allowed[action])
        if (ref.moved[action] &&
            std::ranges::equal(std::views::keys(t), std::views::keys(ref.before[action])))
            took(ref.before[action], t);
    const auto heldBefore = [&](const std::string& now, const std::string& then) {
        std::set<std::string> seen{now};
        for (std::size_t size = 0; size != seen.size();) {
            size = seen.size();
            for (const auto& [later, was] : earlier)
                if (seen.count(later)) seen.insert(was);
        }
        return seen.count(then) > 0;
    };
    const auto parts = partsOf(state);
    return std::ranges::any_of(ref.allowed[action], [&](const Folder& t) {
        const auto passed = partsOf(t);
        for (const auto& [part, text] : parts)
            if (!passed.count(part) || !heldBefore(passed.at(part), text)) return false;
        return passed.size() == parts.size();
    });
}

// Starts the program again on the folder and judges what it leaves.
void judge(const fs::path& dir, const Reference& ref, std::size_t action, const std::string& where,
           Tally& tally, bool keystrokesMayGo = false) {
    PosixFileSystem files;
    CoreDriver driver(files);
    if (driver.start(dir) != StartResult::Shown)
        return tally.fail(tally.restartFailed, where + ": the restart failed");
    const Folder state = folderBytes(dir / "memo");
    const std::set<Folder>& allowed = ref.allowed[action];
    // On the way through the action: a keystroke cut short between its memo and its index (the
    // title from before it), a new memo made but not yet swapped in.
    if (allowed.count(state))
        return void(tally.between +=
                    state != ref.before[action] && state != ref.before[action + 1]);
    if (keystrokesMayGo && keystrokesTakenBack(state, ref, action)) return void(++tally.behind);
    if (!settled(state)) return tally.fail(tally.halfDone, where + ": a step is still half done");
    // A text that every such state holds is gone, or the texts are at other places or titles.
    for (const std::string& text : textsOf(*allowed.begin()))
        if (!textsOf(state).count(text) && std::ranges::all_of(allowed, [&](const Folder& o) {
                return textsOf(o).count(text) > 0;
            }))
            return tally.fail(tally.lost, where + ": a memo is lost");
    tally.fail(tally.misplaced, where + ": a memo is at another place");
}

// Each campaign runs one session against the reference of its undisturbed run.
using Campaign = std::function<void(const Session&, const Reference&, Tally&)>;

void faultCampaign(const Session& s, const Reference& ref, Tally& tally) {
    for (const auto& [fault, error] : {std::pair{StoreFault::DiskFull, ENOSPC},
                                       {StoreFault::AccessDenied, EACCES},
                                       {StoreFault::IoError, EIO}})
        for (long n = 1; n <= ref.changes; ++n, ++tally.points) {
            const fs::path dir = lay("run", s.start);
            int action = 0;
            std::optional<std::u16string> box;
            {
                // The lock goes with the file system: the refused copy ends before the judge.
                RecordingFileSystem files;
                files.refuse = n, files.refuseWith = {fault, error};
                // A refusal the program goes on after is judged once its action is done.
                box = play(&s, files, dir,
                           [&](int a) { return files.changes() < n && (action = a, true); });
            }
            tally.wentOn += !box;  // told, and the program went on
            tally.unclearErrors += box && (box->find(u"実行時エラー") != 0 ||
                                           box->find(u"memo") == std::u16string::npos);
            const std::string where = s.name + ", change " + std::to_string(n) + " refused (" +
                                      std::strerror(error) + ")";
            judge(dir, ref, std::size_t(action), where, tally);
        }
}

// Each folder a stop may leave is started on and judged; the start-up on it is cut in turn after
// each of its own calls, and the folder that leaves is started on and judged too. Only a power cut
// may take back the last keystrokes, as a keystroke is not flushed.
void cutCampaign(Model model, int sampled, const Session& s, const Reference& ref, Tally& tally) {
    const bool kill = model == Model::Kill;
    tally.points += long(ref.calls.size());
    std::set<std::pair<std::size_t, Folder>> judged, judgedAgain;
    afterCuts(s.start, ref.calls, model, sampled, [&](std::size_t i, const Folder& after) {
        const std::size_t action = ref.calls[i].action;
        if (!judged.insert({action, after}).second) return;
        ++tally.states;
        const std::string where =
            s.name + (kill ? ", killed" : ", power cut") + " after call " + std::to_string(i + 1);
        std::vector<Call> startCalls;
        {
            RecordingFileSystem files(&startCalls);
            play(nullptr, files, lay("copy", after));
        }
        judge(lay("run", after), ref, action, where, tally, !kill);
        afterCuts(after, startCalls, model, sampled, [&](std::size_t j, const Folder& again) {
            if (!judgedAgain.insert({action, again}).second) return;
            ++tally.startupCuts;
            judge(lay("run", again), ref, action,
                  where + ", start-up cut after call " + std::to_string(j + 1), tally, !kill);
        });
    });
}

// Another writer between the person's actions: it adds a line to a memo, adds a memo with its
// row, or puts back a memo's older copy; the program is told at once or after the person's next
// action. Each piece either side writes is a token of its own, and the person only adds text.
// Judged after the session: every token still meant is in some memo file (an older copy takes back
// what its memo held beyond it), and the index names each memo file exactly once.
std::string writerSession(unsigned seed) {
    std::mt19937 rng(seed);
    const auto pick = [&](std::size_t n) { return rng() % std::max<std::size_t>(n, 1); };
    const fs::path dir = lay("writer", memos({u"<s0>", u"<s1>", u"<s2>"})), memoDir = dir / "memo";
    std::set<std::string> meant{"<s0>", "<s1>", "<s2>"};
    const auto tokens = [](const std::string& bytes) {
        // A keystroke after a reload may land inside a token: an "a" is passed over, and a
        // token typed inside another is read out of it.
        std::set<std::string> out;
        std::vector<std::string> open;
        for (const char c : bytes) {
            if (c == '<') open.emplace_back();
            if (c == 'a' || open.empty()) continue;
            open.back() += c;
            if (c == '>') out.insert(open.back()), open.pop_back();
        }
        return out;
    };
    const auto rows = [](const Folder& f) {  // rows end in CR LF
        std::size_t n = 0, at = 0;
        while ((at = f.at("group.gl").find("\r\n", at) + 1) != 0)
            ++n;
        return n;
    };
    PosixFileSystem files;
    CoreDriver driver(files);
    driver.start(dir);
    Folder older = folderBytes(memoDir);
    for (int i = 0; i < 30 && !driver.ended(); ++i) {
        const Folder now = folderBytes(memoDir);
        const int open = driver.selected();
        const std::string theirs = "<o" + std::to_string(i) + ">",
                          mine = "<p" + std::to_string(i) + ">",
                          name = std::to_string(open >= 0 && pick(3) ? std::size_t(open)
                                                                     : pick(rows(now) + 1)) +
                                 ".txt";
        const bool told = pick(2), found = now.count(name);
        std::vector<Step> steps;
        if (const auto move = pick(5); move == 0 && found)
            steps = {another(Outside::Write, {{name, theirs + "\r\n" + now.at(name)}}, !told)};
        else if (move == 1)
            steps = {another(Outside::Write, {{std::to_string(rows(now)) + ".txt", theirs}}, true),
                     another(Outside::AppendToIndex, {{"group.gl", theirs + "\r\n"}}, !told)};
        else if (move == 2 && found && older.count(name)) {
            for (const std::string& t : tokens(now.at(name)))
                meant.erase(t);
            steps = {another(Outside::RenameOver, {{name, older.at(name)}}, !told)};
        }
        for (const Step& step : steps)
            anotherProgram(memoDir, step), driver.apply(step);
        if (!steps.empty()) meant.merge(tokens(steps[0].folder.begin()->second));
        if (pick(4) == 0) older = now;
        // Each keystroke and paste one action, so that it may come before the watcher's notice.
        const Step person[] = {click(int(pick(driver.rows().size()))),
                               commit({mine.begin(), mine.end()}),
                               type(u"a"),
                               key(pick(2) ? TextKey::End : TextKey::Home),
                               menu(Command::New),
                               key(pick(2) ? ListKey::Down : ListKey::Up)};
        driver.apply(person[pick(std::size(person))]);
        if (driver.text().find(std::u16string(mine.begin(), mine.end())) != std::u16string::npos)
            meant.insert(mine);
    }
    driver.apply(wait());
    const Folder end = folderBytes(memoDir);
    std::size_t memoFiles = 0;
    for (const auto& [name, bytes] : end)
        if (name.ends_with(".txt"))
            for (++memoFiles; const std::string& t : tokens(bytes))
                meant.erase(t);
    for (std::size_t k = 0; k < rows(end); ++k)
        if (!end.count(std::to_string(k) + ".txt"))
            return "row " + std::to_string(k) + " has no file";
    if (memoFiles != rows(end)) return "a memo file has no row";
    return driver.ended() ? "the program ended" : meant.empty() ? "" : "lost " + *meant.begin();
}

void print(const char* what, const Tally& t) {
    std::printf("%s: %ld points, %ld folders left (+ %ld after a start-up cut too)\n", what,
                t.points, t.states, t.startupCuts);
    for (const auto& [count, label] :
         {std::pair{t.lost, "memos lost"},
          {t.misplaced, "memos misplaced"},
          {t.restartFailed, "restarts failed"},
          {t.halfDone, "steps half done after the restart"},
          {t.between, "restarts in a state the action passes through on its way"},
          {t.behind, "restarts with the last keystrokes taken back"},
          {t.wentOn, "refusals the program told and went on after"},
          {t.unclearErrors, "error boxes without the fault or the path"}})
        std::printf("  %s %ld\n", label, count);
    for (const auto& f : t.failures)
        std::printf("  FAIL %s\n", f.c_str());
}

}  // namespace
}  // namespace tetomu::test

int main(int argc, char** argv) {
    using namespace tetomu::test;
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const std::string only = argc > 1 + quick ? argv[1 + quick] : "";
    std::vector<Session> sessions = tableSessions();
    for (int seed = 1; seed <= (quick ? 2 : 50); ++seed)
        sessions.push_back(randomSession(unsigned(seed), quick ? 20 : 40));
    const std::pair<const char*, Campaign> campaigns[] = {
        {"kill", std::bind_front(cutCampaign, Model::Kill, 0)},
        {"faults", faultCampaign},
        {"power cut, ordered", std::bind_front(cutCampaign, Model::Ordered, quick ? 2 : 16)},
        {"power cut, any order", std::bind_front(cutCampaign, Model::AnyOrder, quick ? 2 : 16)},
    };
    bool bad = false;
    if (only.empty() || only == "writer") {
        int failed = 0, seeds = quick ? 30 : 1000;
        for (int seed = 1; seed <= seeds; ++seed)
            if (const std::string what = writerSession(unsigned(seed)); !what.empty())
                std::printf("  FAIL another writer, seed %d: %s\n", seed, what.c_str()), ++failed;
        std::printf("another writer: %d sessions, %d failed\n", seeds, failed);
        bad = failed > 0;
    }
    for (const auto& [name, campaign] : campaigns) {
        if (!only.empty() && std::string(name).find(only) != 0) continue;
        Tally t;
        for (const Session& s : sessions)
            campaign(s, reference(s), t);
        print(name, t);
        bad = bad || t.bad();
    }
    fs::remove_all(scratch);
    return bad ? 1 : 0;
}

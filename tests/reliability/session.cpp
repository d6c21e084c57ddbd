#include "session.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>

#include "store/posix_file_system.h"
#include "store/title.h"

namespace tetomu::reliability {
namespace {

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// N for "N.txt" with a plain decimal N, -1 for temp.txt, otherwise nothing.
std::optional<int> memoNumber(const std::string& name) {
    if (name == "temp.txt") return -1;
    if (name.size() < 5 || name.substr(name.size() - 4) != ".txt") return std::nullopt;
    const std::string digits = name.substr(0, name.size() - 4);
    if (digits.empty() || digits.size() > 6 || (digits.size() > 1 && digits[0] == '0') ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoi(digits);
}

int indexLines(const fs::path& memoDir) {
    Cp932Codec codec;
    PosixFileSystem files;
    MemoStore store(files, codec, memoDir.parent_path().native());
    if (!fs::exists(store.IndexPath())) return 0;
    return int(store.decodeIndex(readBytes(store.IndexPath())).size());
}

std::vector<std::u16string> indexRows(const fs::path& memoDir) {
    Cp932Codec codec;
    PosixFileSystem files;
    MemoStore store(files, codec, memoDir.parent_path().native());
    return store.decodeIndex(readBytes(store.IndexPath()));
}

std::multiset<std::string> values(const Texts& texts, bool withTemp) {
    std::multiset<std::string> out;
    for (const auto& [n, text] : texts) {
        if (n >= 0 || withTemp) out.insert(text);
    }
    return out;
}

std::multiset<std::string> minus(const std::multiset<std::string>& a,
                                 const std::multiset<std::string>& b) {
    std::multiset<std::string> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(out, out.end()));
    return out;
}

std::multiset<std::string> common(const std::multiset<std::string>& a,
                                  const std::multiset<std::string>& b) {
    std::multiset<std::string> out;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::inserter(out, out.end()));
    return out;
}

// The texts that must be in the folder after a stop between snapshot `before` and `after`: every
// memo that action did not touch, and of a memo it rewrote the old text or the new one.
std::string missing(const Texts& onDisk, const Texts& before, const Texts& after) {
    const auto disk = values(onDisk, true);
    const auto b = values(before, false);
    const auto a = values(after, false);
    const auto kept = common(b, a);
    const auto stillThere = common(kept, disk);
    if (stillThere.size() != kept.size())
        return "a memo untouched by the action in flight is gone: " +
               *minus(kept, stillThere).begin();
    const auto removed = minus(b, a);
    const auto added = minus(a, b);
    if (removed.size() == 1 && added.size() == 1) {
        // The memo being rewritten: one of its two versions, beyond the copies already counted.
        const auto rest = minus(disk, kept);
        if (!rest.count(*removed.begin()) && !rest.count(*added.begin()))
            return "the memo being saved is neither its old nor its new text: " + *removed.begin();
    }
    return {};
}

// Bytes in a file that were never a whole text of the session.
std::string damagedFile(const Texts& onDisk, const Texts& before, const Texts& after) {
    const auto b = values(before, false);
    const auto a = values(after, false);
    const std::size_t floor = std::min(before.size(), after.size());
    for (const auto& [n, text] : onDisk) {
        if (b.count(text) || a.count(text)) continue;
        // The empty "temp" memo that 新規 and a swap create and take away again.
        if (text.empty() && (n < 0 || std::size_t(n) >= floor - (floor > 0 ? 1 : 0))) continue;
        return "file " + std::to_string(n) + " holds bytes that were never a whole text (" +
               std::to_string(text.size()) + " bytes)";
    }
    return {};
}

std::u16string pick(std::mt19937& rng, std::initializer_list<std::u16string_view> options) {
    std::uniform_int_distribution<std::size_t> d(0, options.size() - 1);
    return std::u16string(*(options.begin() + d(rng)));
}

Action type(std::u16string chars) {
    return {"type", [chars](MemoWindow& w) { w.userEdit(w.txtmemo.Text() + chars); }};
}
Action select(int i) {
    return {"select " + std::to_string(i), [i](MemoWindow& w) {
                if (i < w.List1.ListCount()) w.userSelect(i);
            }};
}
Action command(Command c, std::string name) {
    return {std::move(name), [c](MemoWindow& w) { w.choose(c); }};
}
Action tick() {
    return {"tick", [](MemoWindow& w) { w.userClickCheck(); }};
}
Action erase() {
    return {"erase", [](MemoWindow& w) { w.userEdit(u""); }};
}

}  // namespace

Session Session::scripted() {
    Session s;
    s.name = "scripted";
    s.initial = {u"zero", u"one\r\ntwo", u"三番目のメモ", u"four", u"ｶﾀｶﾅ five"};
    s.script_ = {
        select(1),
        type(u"a"),
        type(u"\r\n"),
        type(u"漢"),
        command(Command::New, "new"),
        type(u"n"),
        type(u"e"),
        select(0),
        command(Command::Delete, "delete"),
        select(2),
        tick(),
        select(0),  // swap 2 and 0
        select(3),
        tick(),
        select(3),  // same one clicked
        select(1),
        tick(),
        type(u"x"),  // typing in arrange mode
        erase(),     // deletes that memo
        type(u"fresh"),
        tick(),
        select(0),  // a new memo swapped in
        select(4),
        erase(),
        select(0),
        command(Command::New, "new"),
        type(u"last"),
    };
    s.length = int(s.script_.size());
    return s;
}

Session Session::random(unsigned seed, int length) {
    Session s;
    s.name = "random " + std::to_string(seed);
    s.random_ = true;
    s.rng_.seed(seed);
    s.length = length;
    std::uniform_int_distribution<int> count(0, 6);
    const int n = count(s.rng_);
    for (int i = 0; i < n; ++i)
        s.initial.push_back(u"memo " + std::u16string(1, char16_t(u'A' + i)) + u"\r\n本文");
    return s;
}

Action Session::next(MemoWindow& w, int i) {
    if (!random_) return script_.at(std::size_t(i));
    std::uniform_int_distribution<int> roll(0, 99);
    const int r = roll(rng_);
    const int count = w.List1.ListCount();
    std::uniform_int_distribution<int> item(0, std::max(0, count - 1));
    if (r < 38) return type(pick(rng_, {u"a", u"b", u"\r\n", u"漢", u"ｱ", u"\r", u"\n", u"~"}));
    if (r < 54) return select(count ? item(rng_) : 0);
    if (r < 61) return command(Command::New, "new");
    if (r < 68) return command(Command::Delete, "delete");
    if (r < 75) return erase();
    if (r < 86) return tick();
    if (r < 92)
        return {"paste", [](MemoWindow& w) {
                    w.userEdit(w.txtmemo.Text() + std::u16string(150, u'貼') + u"\r\nend");
                }};
    return {"retitle", [](MemoWindow& w) {
                if (!w.txtmemo.Text().empty()) w.userEdit(u"改" + w.txtmemo.Text().substr(1));
            }};
}

Texts memoTexts(const fs::path& memoDir) {
    Texts texts;
    for (const auto& entry : fs::directory_iterator(memoDir)) {
        if (const auto n = memoNumber(entry.path().filename().string()))
            texts[*n] = readBytes(entry.path());
    }
    return texts;
}

bool consistent(const fs::path& memoDir, std::string* why) {
    const Texts texts = memoTexts(memoDir);
    const int lines = indexLines(memoDir);
    auto say = [&](std::string text) {
        if (why) *why = std::move(text);
        return false;
    };
    if (texts.count(-1)) return say("temp.txt is left");
    if (int(texts.size()) != lines)
        return say(std::to_string(lines) + " index lines, " + std::to_string(texts.size()) +
                   " memo files");
    if (!texts.empty() && texts.rbegin()->first != lines - 1)
        return say("memo numbers are not 0 to n-1");
    return true;
}

void layOut(const fs::path& memoDir, const std::vector<std::u16string>& memos) {
    Cp932Codec codec;
    fs::create_directories(memoDir);
    std::u16string index;
    for (std::size_t i = 0; i < memos.size(); ++i) {
        writeBytes(memoDir / (std::to_string(i) + ".txt"), codec.encode(memos[i]));
        index += TitleOf(memos[i]) + u"\r\n";
    }
    writeBytes(memoDir / "group.gl", codec.encode(index));
}

ScratchDir::ScratchDir() {
    const fs::path root =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (root / "tetomu-reliability-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void runSession(Session session, FileSystem& files, const fs::path& base, volatile int* done,
                QuietPlatform* platform, Reference* reference) {
    QuietPlatform own(base.native());
    QuietPlatform& p = platform ? *platform : own;
    Cp932Codec codec;
    MemoWindow window(files, codec, p);
    if (reference) reference->snapshots.push_back(memoTexts(base / "memo"));
    window.start();
    for (int i = 0; i < session.length && !window.ended(); ++i) {
        Action action = session.next(window, i);
        action.run(window);
        if (window.ended()) break;
        if (done) *done = i + 1;
        if (reference) {
            reference->snapshots.push_back(memoTexts(base / "memo"));
            reference->actionNames.push_back(action.name);
        }
    }
}

Verdict judge(const fs::path& base, const Reference& reference, int done) {
    Verdict v;
    const fs::path memoDir = base / "memo";
    const Texts& before = reference.snapshots.at(std::size_t(done));
    const Texts& after =
        reference.snapshots.at(std::min(std::size_t(done) + 1, reference.snapshots.size() - 1));
    const std::string inFlight = std::size_t(done) < reference.actionNames.size()
                                     ? reference.actionNames[std::size_t(done)]
                                     : "end";
    auto note = [&](const std::string& what) {
        if (v.detail.empty())
            v.detail = "stopped in action " + std::to_string(done) + " (" + inFlight + "): " + what;
    };

    Texts onDisk = memoTexts(memoDir);
    if (auto why = missing(onDisk, before, after); !why.empty()) {
        v.lost = true;
        note(why);
    }
    if (auto why = damagedFile(onDisk, before, after); !why.empty()) {
        v.damaged = true;
        note(why);
    }
    v.outOfStepRaw = !consistent(memoDir);

    // Start again in the same folder, as the person would.
    PosixFileSystem files;
    Cp932Codec codec;
    QuietPlatform platform(base.native());
    MemoWindow window(files, codec, platform);
    if (window.start() != StartResult::Shown || !platform.errors.empty()) {
        v.restartFailed = true;
        note("restart failed");
        return v;
    }
    std::string why;
    v.outOfStepAfter = !consistent(memoDir, &why);
    if (v.outOfStepAfter) note("after restart: " + why);
    onDisk = memoTexts(memoDir);
    if (auto gone = missing(onDisk, before, after); !gone.empty()) {
        v.lostAfterRestart = true;
        note("after restart: " + gone);
    }
    const auto rows = indexRows(memoDir);
    for (const auto& [n, text] : onDisk) {
        if (n >= 0 && std::size_t(n) < rows.size() &&
            rows[std::size_t(n)] != TitleOf(codec.decode(text)))
            ++v.titlesOutOfStep;
    }
    // Carry on: a new memo must not land on anything that is there.
    window.choose(Command::New);
    window.userEdit(u"after restart");
    const Texts later = memoTexts(memoDir);
    if (!platform.errors.empty()) {
        v.restartFailed = true;
        note("a new memo after the restart failed");
    } else if (auto gone = missing(later, onDisk, onDisk); !gone.empty()) {
        v.lostAfterRestart = true;
        note("a new memo after the restart: " + gone);
    } else if (!consistent(memoDir, &why)) {
        v.outOfStepAfter = true;
        note("after a new memo: " + why);
    }
    return v;
}

}  // namespace tetomu::reliability

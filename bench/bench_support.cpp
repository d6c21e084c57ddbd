#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <tuple>

#include "store/cp932_codec.h"
#include "store/title.h"

extern char** environ;

namespace tetomu::bench {
namespace {

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

void check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
}

}  // namespace

bool smoke() {
    return std::getenv("SMOKE") != nullptr;
}

std::vector<std::int64_t> sizes(std::vector<std::int64_t> full) {
    if (smoke()) full.resize(1);
    return full;
}

std::u16string memoText(int n, std::size_t body) {
    std::mt19937 rng(unsigned(n) * 7919u + 1u);
    auto pick = [&](std::u16string_view from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
    };
    constexpr std::u16string_view kana = u"あいうえおかきくけこさしすせそたちつてとなにぬねの";
    constexpr std::u16string_view kanji = u"会議予定買物電話本読書連絡確認資料準備来週";
    constexpr std::u16string_view ascii = u"abcdefghijklmnopqrstuvwxyz0123456789";
    std::u16string text;
    // The first line: 60 characters in runs of three, Japanese and ASCII in turn.
    for (int i = 0; i < 60; ++i)
        text += (i / 3) % 2 ? pick(ascii) : (i % 2 ? pick(kana) : pick(kanji));
    text += u"\r\n";
    std::size_t line = 0;
    while (text.size() < 62 + body) {
        text += rng() % 2 ? pick(kana) : pick(ascii);
        if (++line >= 20 + rng() % 40) {
            text += u"\r\n";
            line = 0;
        }
    }
    return text;
}

MemoFolder& MemoFolder::get(int count, std::size_t bigBody, int twin) {
    static std::map<std::tuple<int, std::size_t, int>, std::unique_ptr<MemoFolder>> made;
    auto& folder = made[{count, bigBody, twin}];
    if (!folder) folder = std::make_unique<MemoFolder>(count, bigBody, twin);
    return *folder;
}

MemoFolder::MemoFolder(int count, std::size_t bigBody, int twin) {
    base_ = fs::temp_directory_path() /
            ("tetomu-bench-" + std::to_string(::getpid()) + "-" + std::to_string(count) + "-" +
             std::to_string(bigBody) + "-" + std::to_string(twin));
    fs::remove_all(base_);
    fs::create_directories(memoDir());
    const Cp932Codec codec;
    std::string index;
    for (int n = 0; n < count; ++n) {
        const std::u16string text = memoText(n, n == count / 2 && bigBody ? bigBody : 300);
        writeFile(memoDir() / (std::to_string(n) + ".txt"), codec.encode(text));
        codec.encodeAppend(titleOf(text), index);
        index += "\r\n";
    }
    writeFile(memoDir() / "group.gl", index);
    fs::create_directories(floorDir().parent_path());
    fs::copy(memoDir(), floorDir(), fs::copy_options::recursive);
}

MemoFolder::~MemoFolder() {
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

void RecordingFileSystem::write(const fs::path& p, std::string_view bytes) {
    real_.write(p, bytes);
    changes.push_back({Change::Write, p.filename().string(), {}, bytes.size()});
}

void RecordingFileSystem::rename(const fs::path& from, const fs::path& to) {
    real_.rename(from, to);
    changes.push_back({Change::Rename, from.filename().string(), to.filename().string(), 0});
}

void RecordingFileSystem::remove(const fs::path& p) {
    real_.remove(p);
    changes.push_back({Change::Remove, p.filename().string(), {}, 0});
}

void RecordingFileSystem::flushFolder(const fs::path& folder) {
    const auto t0 = Clock::now();
    real_.flushFolder(folder);
    flushSeconds += seconds(t0, Clock::now());
    changes.push_back({Change::FlushFolder, {}, {}, 0});
}

void replay(const std::vector<RecordingFileSystem::Change>& changes, const fs::path& dir) {
    static std::string bytes;
    for (const auto& c : changes) {
        const std::string path = (dir / c.name).string();
        switch (c.kind) {
            case RecordingFileSystem::Change::Write: {
                if (bytes.size() < c.size) bytes.resize(c.size, 'x');
                const std::string saving = path + ".saving";
                const int fd =
                    ::open(saving.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                check(fd >= 0, "open");
                check(::write(fd, bytes.data(), c.size) == ssize_t(c.size), "write");
                check(::fdatasync(fd) == 0 && ::close(fd) == 0, "fdatasync");
                check(::rename(saving.c_str(), path.c_str()) == 0, "rename");
                break;
            }
            case RecordingFileSystem::Change::Rename:
                check(::rename(path.c_str(), (dir / c.to).c_str()) == 0, "rename");
                break;
            case RecordingFileSystem::Change::Remove:
                // Removed and made again by the same operation (the short-lived memo of 新規).
                check(::unlink(path.c_str()) == 0 || errno == ENOENT, "unlink");
                break;
            case RecordingFileSystem::Change::FlushFolder: {
                const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                check(fd >= 0 && ::fsync(fd) == 0 && ::close(fd) == 0, "fsync");
                break;
            }
        }
    }
}

Paired::~Paired() {
    const double n = double(state_.iterations());
    if (n == 0 || floor_ == 0) return;
    state_.counters["op_us"] = op_ / n * 1e6;
    state_.counters["floor_us"] = floor_ / n * 1e6;
    state_.counters["ratio"] = op_ / floor_;
    state_.counters["flush_us"] = flush_ / n * 1e6;
}

void measureResident(benchmark::State& state) {
    MemoFolder& folder = MemoFolder::get(int(state.range(0)));
    for (auto _ : state) {
        const std::string dir = folder.base().string();
        char self[] = "/proc/self/exe";
        char flag[] = "--resident";
        char* argv[] = {self, flag, const_cast<char*>(dir.c_str()), nullptr};
        int pipefd[2];
        if (::pipe(pipefd) != 0) std::abort();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
        pid_t pid = 0;
        posix_spawn(&pid, self, &actions, nullptr, argv, environ);
        ::close(pipefd[1]);
        char out[64] = {};
        const ssize_t got = ::read(pipefd[0], out, sizeof out - 1);
        ::close(pipefd[0]);
        ::waitpid(pid, nullptr, 0);
        double rss = 0;
        double anon = 0;
        if (got <= 0 || std::sscanf(out, "%lf %lf", &rss, &anon) != 2) std::abort();
        state.counters["rss_kb"] = rss;
        state.counters["anon_kb"] = anon;
    }
    state.counters["index_kb"] = double(folder.indexBytes()) / 1024;
}

void printResident() {
    std::ifstream status("/proc/self/status");
    long rss = 0;
    long anon = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) rss = std::stol(line.substr(6));
        if (line.rfind("RssAnon:", 0) == 0) anon = std::stol(line.substr(8));
    }
    std::printf("%ld %ld\n", rss, anon);
}

HeadlessWindow::HeadlessWindow(const fs::path& base, bool look)
    : platform(base.native()), window(files, codec, platform) {
    if (window.start() != StartResult::Shown) {
        std::fprintf(stderr, "another copy holds %s\n", base.c_str());
        std::exit(1);
    }
    if (look) platform.later();
}

}  // namespace tetomu::bench

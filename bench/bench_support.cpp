#include "bench_support.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "store/memo_store.h"
#include "store/title.h"

namespace tetomu::bench {
namespace {

// Common characters of everyday notes, all of them in code page 932.
constexpr std::u16string_view kJapanese =
    u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    u"アイウエオカキクケコサシスセソタチツテトナニヌネノ日本語漢字東京大阪会議資料予定買物電話"
    u"連絡確認明日今週来月午前午後時間場所担当課長部長社内案件見積請求書注文発送完了保留重要";
constexpr std::u16string_view kAscii =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -:/.()";

struct Random {
    std::uint32_t state;
    std::uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    char16_t pick(std::u16string_view from) { return from[next() % from.size()]; }
};

// Runs of a few characters from each script, alternating, so that both halves are mixed.
void appendMixed(std::u16string& out, Random& random, std::size_t length) {
    bool japanese = random.next() % 2 == 0;
    while (length > 0) {
        std::size_t run = 2 + random.next() % 5;
        if (run > length) run = length;
        for (std::size_t i = 0; i < run; ++i)
            out += random.pick(japanese ? kJapanese : kAscii);
        length -= run;
        japanese = !japanese;
    }
}

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void fill(const fs::path& dir, int count, std::size_t bigBody) {
    fs::create_directories(dir);
    Cp932Codec codec;
    std::string index;
    for (int n = 0; n < count; ++n) {
        const std::u16string text = bigBody && n == count / 2 ? memoText(n, bigBody) : memoText(n);
        writeFile(dir / (std::to_string(n) + ".txt"), codec.encode(text));
        index += codec.encode(TitleOf(text));
        index += "\r\n";
    }
    writeFile(dir / "group.gl", index);
}

[[noreturn]] void failed(const char* what, const std::string& path) {
    throw std::runtime_error(std::string(what) + " " + path + ": " + std::strerror(errno));
}

}  // namespace

bool smoke() {
    const char* value = std::getenv("SMOKE");
    return value && *value && std::string_view(value) != "0";
}

std::vector<std::int64_t> sizes(std::vector<std::int64_t> full) {
    if (!smoke()) return full;
    std::vector<std::int64_t> small;
    for (auto n : full)
        small.push_back(n > 100 ? 100 : n);
    small.erase(std::unique(small.begin(), small.end()), small.end());
    return small;
}

std::u16string memoText(int n, std::size_t bodyLength) {
    Random random{std::uint32_t(n) * 2654435761u + 1};
    std::u16string text;
    text.reserve(kTitleLength + bodyLength + bodyLength / 20 + 4);
    // Runs of three characters, Japanese and ASCII in turn: exactly half of the title is Japanese.
    for (std::size_t i = 0; i < kTitleLength; ++i)
        text += (i / 3) % 2 == 0 ? random.pick(kJapanese) : random.pick(kAscii);
    std::size_t left = bodyLength;
    while (left > 0) {
        text += u"\r\n";
        const std::size_t line = std::min<std::size_t>(left, 20 + random.next() % 40);
        appendMixed(text, random, line);
        left -= line;
    }
    return text;
}

MemoFolder& MemoFolder::get(int count, std::size_t bigBody) {
    static std::map<std::pair<int, std::size_t>, std::unique_ptr<MemoFolder>> folders;
    auto& folder = folders[{count, bigBody}];
    if (!folder) folder = std::make_unique<MemoFolder>(count, bigBody);
    return *folder;
}

MemoFolder::MemoFolder(int count, std::size_t bigBody) : count_(count) {
    std::string pattern = (fs::temp_directory_path() / "tetomu-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) failed("mkdtemp", pattern);
    base_ = pattern;
    fill(memoDir(), count, bigBody);
    fill(floorDir(), count, bigBody);
    // Start every measurement with nothing waiting to be written back.
    ::sync();
}

MemoFolder::~MemoFolder() {
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

void QuietPlatform::runtimeError(const std::u16string&) {
    throw std::runtime_error("the window met a run-time error");
}

Session::Session(const MemoFolder& folder)
    : platform(folder.base().native()), window(files, codec, platform) {
    if (window.start() != StartResult::Shown) throw std::runtime_error("start-up failed");
}

void Floor::replace(const std::string& name, std::string_view bytes) {
    const std::string target = path(name);
    const std::string saving = target + ".saving";
    const int fd = ::open(saving.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) failed("open", saving);
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(fd, p, left);
        if (put < 0) failed("write", saving);
        p += put;
        left -= std::size_t(put);
    }
    if (::fdatasync(fd) != 0) failed("fdatasync", saving);
    ::close(fd);
    if (::rename(saving.c_str(), target.c_str()) != 0) failed("rename", saving);
}

void Floor::rename(const std::string& from, const std::string& to) {
    if (::rename(path(from).c_str(), path(to).c_str()) != 0) failed("rename", path(from));
}

void Floor::unlink(const std::string& name) {
    if (::unlink(path(name).c_str()) != 0) failed("unlink", path(name));
}

std::string Floor::read(const std::string& name) {
    const int fd = ::open(path(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) failed("open", path(name));
    std::string bytes;
    char buffer[65536];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, std::size_t(got));
    ::close(fd);
    return bytes;
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

}  // namespace tetomu::bench

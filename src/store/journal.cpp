#include "store/journal.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

#include "store/memo_store.h"

namespace tetomu {
namespace {

constexpr std::string_view kHeader = "tetomu journal 1";

const char* nameOf(JournalRecord::Kind kind) {
    switch (kind) {
        case JournalRecord::Kind::Create:
            return "create";
        case JournalRecord::Kind::Delete:
            return "delete";
        case JournalRecord::Kind::Swap:
            return "swap";
        case JournalRecord::Kind::Drop:
            break;
    }
    return "drop";
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at) out.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

template <class Number>
bool parse(std::string_view word, Number& out, int base = 10) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), out, base);
    return error == std::errc() && end == word.data() + word.size();
}

std::optional<JournalRecord> parseLine(std::string_view line) {
    const auto w = words(line);
    if (w.empty()) return std::nullopt;
    JournalRecord r;
    const std::size_t numbers = w.size() - 1;
    if (w[0] == "create" && numbers == 1) {
        r.kind = JournalRecord::Kind::Create;
    } else if (w[0] == "drop" && numbers == 1) {
        r.kind = JournalRecord::Kind::Drop;
    } else if (w[0] == "delete" && numbers == 2) {
        r.kind = JournalRecord::Kind::Delete;
    } else if (w[0] == "swap" && numbers == 4) {
        r.kind = JournalRecord::Kind::Swap;
    } else {
        return std::nullopt;
    }
    if (!parse(w[1], r.a) || r.a < 0) return std::nullopt;
    if (numbers >= 2 && (!parse(w[2], r.b) || r.b < 0)) return std::nullopt;
    if (numbers == 4 && !(parse(w[3], r.rowA, 16) && parse(w[4], r.rowB, 16))) return std::nullopt;
    return r;
}

std::string formatJournal(const std::vector<JournalRecord>& records) {
    std::string out(kHeader);
    out += "\r\n";
    for (const auto& r : records) {
        char line[160];
        switch (r.kind) {
            case JournalRecord::Kind::Create:
            case JournalRecord::Kind::Drop:
                std::snprintf(line, sizeof line, "%s %d", nameOf(r.kind), r.a);
                break;
            case JournalRecord::Kind::Delete:
                std::snprintf(line, sizeof line, "delete %d %d", r.a, r.b);
                break;
            case JournalRecord::Kind::Swap:
                std::snprintf(line, sizeof line, "swap %d %d %016llx %016llx", r.a, r.b,
                              static_cast<unsigned long long>(r.rowA),
                              static_cast<unsigned long long>(r.rowB));
                break;
        }
        out += line;
        out += "\r\n";
    }
    return out;
}

// The records of a journal file; lines it does not understand are left out.
std::vector<JournalRecord> parseJournal(std::string_view bytes) {
    std::vector<JournalRecord> records;
    std::size_t at = 0;
    bool header = true;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = end + 1;
        if (std::exchange(header, false)) {
            if (line != kHeader) return {};
            continue;
        }
        if (auto r = parseLine(line)) records.push_back(*r);
    }
    return records;
}

}  // namespace

std::uint64_t hashBytes(std::string_view bytes) {
    std::uint64_t h = 0xcbf29ce484222325u;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3u;
    }
    return h;
}

// After a power cut the folder's names may be any mix of those made since its last flush. The
// record's name is flushed before the step changes any, and the step's before the record goes,
// so a step is never found done in part without its record, nor undone after it was seen done.
void Journal::push(const JournalRecord& record) {
    records_.push_back(record);
    save();
    store_.flushFolder();
}

void Journal::pop() {
    store_.flushFolder();
    records_.pop_back();
    save();
}

const std::vector<JournalRecord>& Journal::resume() {
    records_ = parseJournal(store_.files().read(store_.journalPath()));
    if (records_.empty()) save();
    return records_;
}

void Journal::save() {
    if (records_.empty()) {
        store_.removeJournal();
    } else {
        store_.writeJournal(formatJournal(records_));
    }
}

}  // namespace tetomu

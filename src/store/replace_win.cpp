// The save on Windows: a sibling created new and flushed, then put in the memo's place with
// ReplaceFile, and each documented way the replace fails finished or left for the next start.
#include <windows.h>

#include <algorithm>

#include "store/file_system_win.h"
#include "store/patience_win.h"
#include "store/win32_files_win.h"

namespace tetomu {

void Win32FileSystem::write(const std::filesystem::path& path, std::string_view bytes) {
    const std::wstring target = longPathOf(path);
    const Entry before = entryAt(target);
    if (before.exists()) {
        if (before.kind() != EntryKind::File) fail(ERROR_CANT_ACCESS_FILE, path);
        // A file the person made read-only stays as it is, as an open for writing would refuse.
        if (before.attributes & FILE_ATTRIBUTE_READONLY) fail(ERROR_ACCESS_DENIED, path);
    }
    // The sibling is created new. One left by a save that was cut short is this program's own
    // and goes; anything else under that name is refused.
    const std::filesystem::path savingPath = savingPathFor(path);
    const std::wstring saving = longPathOf(savingPath);
    Handle file;
    const DWORD created = withPatience(
        [&] {
            file.reset(calls_.createFile(saving.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) return file.valid();
            if (entryAt(saving).kind() == EntryKind::Other) {
                SetLastError(ERROR_CANT_ACCESS_FILE);
                return false;
            }
            // Its deletion may wait on a scanner's handle; the name is free once that closes.
            if (!calls_.deleteFile(saving.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
                return false;
            SetLastError(ERROR_SHARING_VIOLATION);
            return false;
        },
        {saving.c_str()});
    if (created != 0) fail(created, created == ERROR_CANT_ACCESS_FILE ? savingPath : path);
    auto giveUp = [&](DWORD code) {
        file.close();
        removeQuietly(saving);
        fail(code, path);
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = DWORD(std::min<std::size_t>(left, 1u << 20));
        DWORD put = 0;
        if (!WriteFile(file.get(), p, chunk, &put, nullptr)) giveUp(GetLastError());
        p += put;
        left -= put;
    }
    // The bytes reach the disk before the name points at them: after a power cut the memo is
    // the old text or the new one, never an empty file.
    if (!FlushFileBuffers(file.get())) giveUp(GetLastError());
    if (!file.close()) giveUp(GetLastError());
    if (before.exists()) return replace(target, saving, path);
    const DWORD moved = withPatience(
        [&] { return calls_.moveFile(saving.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH); },
        {saving.c_str(), target.c_str()});
    if (moved != 0) {
        removeQuietly(saving);
        fail(moved, path);
    }
}

// Puts the flushed sibling in the target's place. The old file goes to a backup name first and
// is deleted once the new one is in place, so that whichever documented way the replace fails,
// each text is under a name this program knows: the new one under ".saving", the old one under
// its own name or the backup name.
void Win32FileSystem::replace(const std::wstring& target, const std::wstring& saving,
                              const std::filesystem::path& path) {
    const std::wstring backup = longPathOf(replacedPathFor(path));
    DWORD code = withPatience(
        [&] {
            return calls_.replaceFile(
                       target.c_str(), saving.c_str(), backup.c_str(),
                       REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                       nullptr) != 0;
        },
        {target.c_str(), saving.c_str(), backup.c_str()});
    auto move = [&](const std::wstring& from, const std::wstring& to, DWORD flags) {
        return withPatience(
            [&] {
                return calls_.moveFile(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH);
            },
            {from.c_str(), to.c_str()});
    };
    switch (code) {
        case 0:
            break;
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
            // The old file is under the backup name and the new one still under ".saving", which
            // has taken on the old file's attributes: moving it into place finishes the save.
            if (move(saving, target, 0) == 0) break;
            // Else the old text goes back; failing that too, both stay for the next start.
            if (move(backup, target, 0) == 0) removeQuietly(saving);
            fail(code, path);
        case ERROR_INVALID_PARAMETER:
        case ERROR_INVALID_FUNCTION:
        case ERROR_NOT_SUPPORTED:
            // A file system without the replace (some network servers) left both names as they
            // were: a plain rename over the target is atomic there, without the attributes.
            if (move(saving, target, MOVEFILE_REPLACE_EXISTING) == 0) break;
            [[fallthrough]];
        default:
            // Both names are as they were (ERROR_UNABLE_TO_MOVE_REPLACEMENT with a backup name
            // included): the old text stands, and the new one is told as not saved.
            removeQuietly(saving);
            fail(code, path);
    }
    // A backup that cannot go now goes at the next start.
    removeQuietly(backup);
}

// Removes a file of the program's own that is no longer needed; one that cannot go now is a
// left-over for the next start.
void Win32FileSystem::removeQuietly(const std::wstring& name) const {
    withPatience([&] { return calls_.deleteFile(name.c_str()) != 0; }, {name.c_str()});
}

}  // namespace tetomu

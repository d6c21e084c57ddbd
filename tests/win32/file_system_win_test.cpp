// The Windows file layer held to Microsoft's documentation at its seam with the system, where
// Wine does not behave as Windows: each documented outcome of ReplaceFile, the reparse tags of
// synced and deduplicated files, the folder lock through other spellings of the folder, and
// paths a person has. Run under Wine; the scenario table runs on the same calls.
#include <gtest/gtest.h>

#include "store/file_system_win.h"
#include "support/core_driver.h"
#include "win32/windows_as_documented.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using namespace std::chrono_literals;

bool endsWith(LPCWSTR path, const wchar_t* name) {
    const std::wstring_view p(path), n(name);
    return p.size() >= n.size() + 1 && p.substr(p.size() - n.size()) == n &&
           p[p.size() - n.size() - 1] == L'\\';
}

// One documented failure of ReplaceFile, left on disk as the documentation says.
struct ReplaceOutcome {
    const char* name;
    const wchar_t* target;  // the file whose replace fails
    DWORD code;
    int times;               // how many replaces fail; -1: every one
    bool movesFail = false;  // and every move onto the target is refused as well
    bool told = true;        // the person gets the error box
    std::u16string memo0 = u"zero";
    std::u16string title0 = u"zero";
};

ReplaceOutcome fault;

BOOL WINAPI faultyReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                          LPVOID exclude, LPVOID reserved) {
    if (!endsWith(replaced, fault.target) || fault.times == 0)
        return documentedReplace(replaced, replacement, backup, flags, exclude, reserved);
    if (fault.times > 0) --fault.times;
    if (fault.code == ERROR_UNABLE_TO_MOVE_REPLACEMENT && !backup) {
        // "the replaced file no longer exists and the replacement file exists under its
        // original name"
        DeleteFileW(replaced);
    } else if (fault.code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // "The file to be replaced still exists with a different name. If lpBackupFileName is
        // specified, it will be the name of the replaced file."
        const std::wstring aside = backup ? backup : std::wstring(replaced) + L".~tmp";
        MoveFileExW(replaced, aside.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    SetLastError(fault.code);
    return FALSE;
}

BOOL WINAPI faultyMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (fault.movesFail && endsWith(to, fault.target)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return documentedMove(from, to, flags);
}

const ReplaceOutcome kOutcomes[] = {
    {"RemovedReplacedAlways", L"0.txt", ERROR_UNABLE_TO_REMOVE_REPLACED, -1},
    {"RemovedReplacedPasses", L"0.txt", ERROR_UNABLE_TO_REMOVE_REPLACED, 2, false, false, u"zero!",
     u"zero!"},
    {"MoveReplacement", L"0.txt", ERROR_UNABLE_TO_MOVE_REPLACEMENT, -1},
    {"MoveReplacement2Finished", L"0.txt", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, false, false,
     u"zero!", u"zero!"},
    {"MoveReplacement2Stuck", L"0.txt", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, true},
    // The memo is saved before its title: the text stands, and its title is taken from it again
    // when it is opened.
    {"MoveReplacement2StuckOnTheIndex", L"group.gl", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, true,
     true, u"zero!"},
    {"SharingViolationPasses", L"0.txt", ERROR_SHARING_VIOLATION, 3, false, false, u"zero!",
     u"zero!"},
    {"AccessDenied", L"0.txt", ERROR_ACCESS_DENIED, -1},
    {"NoReplaceOnThisFileSystem", L"0.txt", ERROR_INVALID_PARAMETER, -1, false, false, u"zero!",
     u"zero!"},
};

class ReplaceFails : public testing::TestWithParam<ReplaceOutcome> {};

// A keystroke in memo 0 whose save meets the outcome; then the next start. The person is told
// when the text was not saved (it stays in the box), and the folder after the next start is one
// they saw: no text lost, nothing of the program's own left behind.
TEST_P(ReplaceFails, NoTextIsLostAndTheNextStartIsAStateThePersonSaw) {
    fault = GetParam();
    TempDir dir;
    const fs::path folder = dir.path() / "memo";
    fs::create_directory(folder);
    writeFolder(folder, memos({u"zero", u"one"}));
    {
        Win32Calls calls = windowsAsDocumented();
        calls.replaceFile = &faultyReplace;
        calls.moveFile = &faultyMove;
        Win32FileSystem files(calls);
        files.patience = 50ms;
        CoreDriver driver(files);
        driver.start(dir.path());
        for (const Step& step : {click(0), key(TextKey::End), type(u"!")})
            driver.apply(step);
        // A refused keystroke's save is told, and the text stays in the box.
        EXPECT_FALSE(driver.ended());
        EXPECT_EQ(driver.text(), u"zero!");
        EXPECT_EQ(driver.messages().size(), fault.told ? 1u : 0u);
    }
    Win32FileSystem files(windowsAsDocumented());
    CoreDriver driver(files);
    driver.start(dir.path());
    EXPECT_EQ(folderBytes(folder), with(memos({u"zero", u"one"}),
                                        {memo(0, fault.memo0), index({fault.title0, u"one"})}));
    EXPECT_TRUE(driver.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Documented, ReplaceFails, testing::ValuesIn(kOutcomes),
                         [](const auto& info) { return std::string(info.param.name); });

// Microsoft's reparse tags: only those that name another place are refused.
TEST(ReparseTags, OnlyWhatNamesAnotherPlaceIsNotAFile) {
    constexpr DWORD kReparse = FILE_ATTRIBUTE_REPARSE_POINT;
    const struct {
        const char* name;
        DWORD attributes;
        DWORD tag;
        EntryKind kind;
    } rows[] = {
        {"plain file", FILE_ATTRIBUTE_ARCHIVE, 0, EntryKind::File},
        {"read-only, hidden", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 0, EntryKind::File},
        {"folder", FILE_ATTRIBUTE_DIRECTORY, 0, EntryKind::Other},
        {"symbolic link", kReparse, IO_REPARSE_TAG_SYMLINK, EntryKind::Other},
        {"junction", kReparse, IO_REPARSE_TAG_MOUNT_POINT, EntryKind::Other},
        {"WSL symbolic link", kReparse, 0xA000001D, EntryKind::Other},
        {"global reparse", kReparse, 0xA0000019, EntryKind::Other},
        {"container link", kReparse, 0xA0000027, EntryKind::Other},
        {"cloud placeholder", kReparse, 0x9000001A, EntryKind::File},
        {"cloud placeholder, type 1", kReparse, 0x9000101A, EntryKind::File},
        {"cloud placeholder, type F", kReparse, 0x9000F01A, EntryKind::File},
        {"offline, pinned", kReparse | FILE_ATTRIBUTE_OFFLINE | 0x80000, 0x9000601A,
         EntryKind::File},
        {"older sync client", kReparse, 0x80000021, EntryKind::File},
        {"deduplicated", kReparse, 0x80000013, EntryKind::File},
        {"compressed (WOF)", kReparse, 0x80000017, EntryKind::File},
        {"hierarchical storage", kReparse, 0xC0000004, EntryKind::File},
        {"single instance", kReparse, 0x80000007, EntryKind::File},
        {"projected", kReparse, 0x9000001C, EntryKind::File},
        {"a synced folder", FILE_ATTRIBUTE_DIRECTORY | kReparse, 0x9000001A, EntryKind::Other},
    };
    for (const auto& row : rows)
        EXPECT_EQ(entryKindOf(row.attributes, row.tag), row.kind) << row.name;
}

// However the folder is spelled, a second copy finds it locked, and the lock denies nothing of
// the folder's sharing: renames into it, a copy moving it away.
TEST(FolderLock, OneLockForEverySpellingOfTheFolder) {
    TempDir dir;
    const fs::path memo = dir.path() / "memo";
    fs::create_directory(memo);
    std::wstring upper = memo.native();
    CharUpperBuffW(upper.data(), DWORD(upper.size()));
    {
        Win32FileSystem first(windowsAsDocumented());
        ASSERT_EQ(first.lockFolder(memo), FolderLock::Held);
        for (const fs::path& spelling :
             {fs::path(L"\\\\?\\" + memo.native()), fs::path(upper), memo / L"." / L"",
              dir.path() / L"memo" / L".." / L"memo"}) {
            Win32FileSystem second;
            EXPECT_EQ(second.lockFolder(spelling), FolderLock::HeldElsewhere) << spelling;
        }
        EXPECT_TRUE(openTargetFolderAsRenameDoes((memo / L"0.txt").c_str()));
        EXPECT_TRUE(first.isLockedFolder(upper));
        fs::rename(memo, dir.path() / "memo.old");
        fs::create_directory(memo);
        EXPECT_FALSE(first.isLockedFolder(memo));
    }
    Win32FileSystem later;
    EXPECT_EQ(later.lockFolder(dir.path() / "memo.old"), FolderLock::Held);
}

// A path past MAX_PATH, in a folder whose name the ANSI code page cannot write: every call works.
// (The standard library's own folder calls do not reach that far, so the folders are made and
// taken away here with the system's.)
TEST(Paths, LongAndNotInTheCodePage) {
    TempDir dir;
    std::vector<fs::path> folders{dir.path() / L"\uBA54\uBAA8 \u00E9t\u00E9"};
    while (folders.back().native().size() < 300)
        folders.push_back(folders.back() / std::wstring(40, L'\uD55C'));
    folders.push_back(folders.back() / L"memo");
    for (const fs::path& folder : folders)
        ASSERT_TRUE(CreateDirectoryW(longPathOf(folder).c_str(), nullptr)) << GetLastError();
    const fs::path memo = folders.back();
    {
        Win32FileSystem files(windowsAsDocumented());
        EXPECT_EQ(files.lockFolder(memo), FolderLock::Held);
        EXPECT_EQ(files.readOrCreate(memo / L"group.gl"), "");
        files.write(memo / L"0.txt", "old");
        files.write(memo / L"0.txt", "new");
        files.rename(memo / L"0.txt", memo / L"1.txt");
        EXPECT_EQ(files.read(memo / L"1.txt"), "new");
        EXPECT_EQ(files.kind(memo / L"0.txt"), EntryKind::Missing);
        std::vector<std::wstring> names;
        files.list(memo, [&](const FolderEntry& e) { names.emplace_back(e.name); });
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::wstring>{L"1.txt", L"group.gl"}));
        files.remove(memo / L"1.txt");
        files.remove(memo / L"group.gl");
        EXPECT_EQ(files.kind(memo / L"1.txt"), EntryKind::Missing);
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        EXPECT_TRUE(RemoveDirectoryW(longPathOf(*folder).c_str())) << GetLastError();
}

// A file of a synced folder whose content is elsewhere, as the filter shows it to most programs:
// a plain file, no reparse point, carrying one of these attributes; a handle on the placeholder
// itself (FILE_FLAG_OPEN_REPARSE_POINT) reads none of the content.
DWORD notOnDisk = 0;

HANDLE WINAPI placeholderCreate(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                DWORD disposition, DWORD flags, HANDLE model) {
    if (flags & FILE_FLAG_OPEN_REPARSE_POINT) access = FILE_READ_ATTRIBUTES;
    return documentedCreate(name, access, share, sa, disposition, flags, model);
}

BOOL WINAPI placeholderInformation(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
    if (!GetFileInformationByHandle(file, info)) return FALSE;
    info->dwFileAttributes |= notOnDisk;
    return TRUE;
}

TEST(ContentNotOnTheDisk, IsReadThroughTheFileItself) {
    TempDir dir;
    writeFolder(dir.path(), {{"0.txt", "zero"}});
    Win32Calls calls = windowsAsDocumented();
    calls.createFile = &placeholderCreate;
    calls.fileInformation = &placeholderInformation;
    Win32FileSystem files(calls);
    for (const DWORD attribute : {0x400000ul, 0x40000ul, DWORD(FILE_ATTRIBUTE_OFFLINE)}) {
        notOnDisk = attribute;
        EXPECT_EQ(files.read(dir.path() / "0.txt"), "zero") << attribute;
    }
}

// Someone else's hold on a name, until a moment: the replace and the creation of the save's
// sibling are refused with `code` while it lasts. A file deleted while open elsewhere keeps its
// name, and Windows refuses even the look at its attributes.
struct Hold {
    DWORD code;
    const wchar_t* name;
    bool deletePending;
} hold{};
std::chrono::steady_clock::time_point heldUntil;

bool heldOn(LPCWSTR path) {
    return path && hold.name && endsWith(path, hold.name) &&
           std::chrono::steady_clock::now() < heldUntil;
}

BOOL WINAPI heldReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                        LPVOID exclude, LPVOID reserved) {
    if (!heldOn(replaced) && !heldOn(replacement) && !heldOn(backup))
        return documentedReplace(replaced, replacement, backup, flags, exclude, reserved);
    SetLastError(hold.code);
    return FALSE;
}

HANDLE WINAPI heldCreate(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                         DWORD disposition, DWORD flags, HANDLE model) {
    if (!heldOn(name)) return documentedCreate(name, access, share, sa, disposition, flags, model);
    SetLastError(hold.code);
    return INVALID_HANDLE_VALUE;
}

DWORD WINAPI heldAttributes(LPCWSTR name) {
    if (!hold.deletePending || !heldOn(name)) return GetFileAttributesW(name);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_FILE_ATTRIBUTES;
}

// What passes is waited out past a second, painting between the tries; what lasts is refused
// at once, without a single wait.
TEST(Patience, WhatPassesIsWaitedOutAndWhatLastsStandsAtOnce) {
    TempDir dir;
    Win32Calls calls = windowsAsDocumented();
    calls.replaceFile = &heldReplace;
    calls.createFile = &heldCreate;
    calls.fileAttributes = &heldAttributes;
    Win32FileSystem files(calls);
    int waits = 0;
    files.whileWaiting = [&] { ++waits; };
    const fs::path memo = dir.path() / "0.txt";
    files.write(memo, "old");
    const struct {
        const char* name;
        Hold hold;
        bool passes;
    } rows[] = {
        {"a scanner holds the memo", {ERROR_SHARING_VIOLATION, L"0.txt", false}, true},
        {"the last backup, deleted, is open elsewhere",
         {ERROR_ACCESS_DENIED, L"0.txt.replaced", true},
         true},
        {"a network share gone for a moment",
         {ERROR_NETNAME_DELETED, L"0.txt.saving", false},
         true},
        {"the folder refuses new files", {ERROR_ACCESS_DENIED, L"0.txt.saving", false}, false},
    };
    for (const auto& row : rows) {
        hold = row.hold;
        heldUntil = std::chrono::steady_clock::now() + 1200ms;
        waits = 0;
        if (row.passes) {
            files.write(memo, row.name);
            EXPECT_EQ(files.read(memo), row.name);
        } else {
            EXPECT_THROW(files.write(memo, row.name), StoreError) << row.name;
        }
        EXPECT_EQ(waits > 0, row.passes) << row.name;
    }
    // A folder at a memo's name, through the system's own calls (no scanner).
    Win32FileSystem system;
    system.whileWaiting = [&] { ++waits; };
    waits = 0;
    fs::create_directory(dir.path() / "1.txt");
    EXPECT_THROW(system.remove(dir.path() / "1.txt"), StoreError);
    EXPECT_THROW(system.read(dir.path() / "1.txt"), StoreError);
    EXPECT_EQ(waits, 0) << "a folder at a memo's name";
}

// The memo folder on FAT, whose file IDs come from where the folder's entry sits: each open of
// it is given another ID here.
const wchar_t* fileSystemName = L"NTFS";
DWORD moved = 0;
bool onFat() {
    return std::wstring_view(fileSystemName).find(L"FAT") != std::wstring_view::npos;
}

BOOL WINAPI fatInformation(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
    if (!GetFileInformationByHandle(file, info)) return FALSE;
    if (onFat()) info->nFileIndexLow += ++moved;
    return TRUE;
}

BOOL WINAPI fatInformationEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (!GetFileInformationByHandleEx(file, kind, info, size)) return FALSE;
    if (onFat() && kind == FileIdInfo)
        static_cast<FILE_ID_INFO*>(info)->FileId.Identifier[0] += BYTE(++moved);
    return TRUE;
}

BOOL WINAPI namedVolume(HANDLE file, LPWSTR volume, DWORD volumeSize, LPDWORD serial,
                        LPDWORD length, LPDWORD flags, LPWSTR system, DWORD systemSize) {
    if (!GetVolumeInformationByHandleW(file, volume, volumeSize, serial, length, flags, system,
                                       systemSize))
        return FALSE;
    if (system) lstrcpynW(system, fileSystemName, int(systemSize));
    return TRUE;
}

// A folder that cannot be looked at is refused as it is, not taken for another; on FAT a new
// file ID is not a new folder, but a folder put in its place is.
TEST(FolderLock, OnlyAFolderSeenToBeAnotherIsReplaced) {
    for (const wchar_t* system : {L"NTFS", L"FAT32", L"exFAT"}) {
        fileSystemName = system;
        TempDir dir;
        const fs::path memo = dir.path() / "memo";
        fs::create_directory(memo);
        Win32Calls calls = windowsAsDocumented();
        calls.createFile = &heldCreate;  // a share that goes, as the folder's name
        calls.fileInformation = &fatInformation;
        calls.fileInformationEx = &fatInformationEx;
        calls.volumeInformation = &namedVolume;
        Win32FileSystem files(calls);
        ASSERT_EQ(files.lockFolder(memo), FolderLock::Held);
        hold = {ERROR_NETNAME_DELETED, L"memo", false};
        heldUntil = std::chrono::steady_clock::now() + 300ms;
        EXPECT_TRUE(files.isLockedFolder(memo)) << "back after a blip";
        heldUntil += 1h;
        files.patience = 50ms;
        try {
            files.isLockedFolder(memo);
            ADD_FAILURE() << "a folder that cannot be opened taken for the same";
        } catch (const StoreError& error) {
            EXPECT_EQ(error.fault(), StoreFault::FolderUnreachable);
            EXPECT_EQ(error.code(), ERROR_NETNAME_DELETED);
        }
        hold = {};
        fs::rename(memo, dir.path() / "memo.old");
        Sleep(20);
        fs::create_directory(memo);
        EXPECT_FALSE(files.isLockedFolder(memo)) << "a folder put in its place";
    }
}

// A copy left running in another session, or one another user started first: the person is told,
// and this copy ends with a failure status, having changed nothing.
DWORD otherSession = 0;

HANDLE WINAPI otherSessionMutex(LPSECURITY_ATTRIBUTES sa, BOOL owner, LPCWSTR name) {
    if (std::wstring_view(name).substr(0, 7) != L"Global\\") return CreateMutexW(sa, owner, name);
    if (otherSession == ERROR_ACCESS_DENIED) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE mutex = CreateMutexW(sa, owner, name);
    SetLastError(ERROR_ALREADY_EXISTS);
    return mutex;
}

TEST(FolderLock, AFolderHeldInAnotherSessionIsTold) {
    for (const DWORD refusal : {DWORD(ERROR_ALREADY_EXISTS), DWORD(ERROR_ACCESS_DENIED)}) {
        otherSession = refusal;
        TempDir dir;
        fs::create_directory(dir.path() / "memo");
        writeFolder(dir.path() / "memo", memos({u"zero"}));
        Win32Calls calls = windowsAsDocumented();
        calls.createMutex = &otherSessionMutex;
        Win32FileSystem files(calls);
        CoreDriver driver(files);
        EXPECT_EQ(driver.start(dir.path()), StartResult::Failed);
        EXPECT_EQ(driver.messages(),
                  std::vector<std::u16string>{std::u16string(texts::kFolderInAnotherSession)});
        EXPECT_EQ(folderBytes(dir.path() / "memo"), memos({u"zero"}));
    }
}

}  // namespace
}  // namespace tetomu::test

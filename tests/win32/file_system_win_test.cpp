// The Windows file layer held to Microsoft's documentation at its seam with the system, where
// Wine does not behave as Windows: each documented outcome of ReplaceFile, the reparse tags of
// synced and deduplicated files, the folder lock through other spellings of the folder, and
// paths a person has. Run under Wine; the scenario table runs on the same calls.
#include <gtest/gtest.h>

#include <set>

#include "store/file_system_win.h"
#include "support/core_driver.h"
#include "win32/windows_as_documented.h"
#include "window/texts.h"

namespace tetomu::test {
namespace {

using namespace std::chrono_literals;

bool endsWith(LPCWSTR path, const wchar_t* name) {
    return path && name && std::wstring_view(path).ends_with(L"\\" + std::wstring(name));
}

// One documented failure of ReplaceFile, left on disk as the documentation says, and what of
// the keystroke in memo 0 the next start shows: nothing, its text only (the memo is saved before
// its title, which is taken from the text again when it is opened), or both. The person is told
// whenever the save did not go through whole.
enum class Kept { Nothing, Text, Both };
struct ReplaceOutcome {
    const char* name;
    const wchar_t* target;  // the file whose replace fails
    DWORD code;
    int times;       // how many replaces fail; -1: every one
    bool movesFail;  // and every move onto the target is refused as well
    Kept kept;
};

// Someone else's hold on a name, until a moment: the replace and the creation of the save's
// sibling are refused with `code` while it lasts. A file deleted while open elsewhere keeps its
// name, and Windows refuses even the look at its attributes.
struct Hold {
    DWORD code;
    const wchar_t* name;
    bool deletePending;
};

// The system as each test makes it, on top of Windows as documented; every part does nothing
// until a test sets it.
struct World {
    ReplaceOutcome fault{};
    Hold hold{};
    std::chrono::steady_clock::time_point heldUntil;
    // A file of a synced folder whose content is elsewhere, as the filter shows it to most
    // programs: a plain file, no reparse point, carrying this attribute; a handle on the
    // placeholder itself (FILE_FLAG_OPEN_REPARSE_POINT) reads none of the content.
    DWORD notOnDisk = 0;
    // The folder's file system. FAT's file IDs come from where the folder's entry sits: each
    // open of it is given another ID here.
    const wchar_t* fileSystem = L"NTFS";
    DWORD moved = 0;
    // A copy left running in another session (ERROR_ALREADY_EXISTS) or another user's, whose
    // mutex is not even opened (ERROR_ACCESS_DENIED).
    DWORD otherSession = 0;
} world;

bool heldOn(LPCWSTR path) {
    return endsWith(path, world.hold.name) && std::chrono::steady_clock::now() < world.heldUntil;
}

BOOL WINAPI hookedReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                          LPVOID exclude, LPVOID reserved) {
    ReplaceOutcome& fault = world.fault;
    if (heldOn(replaced) || heldOn(replacement) || heldOn(backup)) {
        SetLastError(world.hold.code);
        return FALSE;
    }
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

BOOL WINAPI hookedMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (!world.fault.movesFail || !endsWith(to, world.fault.target))
        return documentedMove(from, to, flags);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

HANDLE WINAPI hookedCreate(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                           DWORD disposition, DWORD flags, HANDLE model) {
    if (heldOn(name)) {
        SetLastError(world.hold.code);
        return INVALID_HANDLE_VALUE;
    }
    if (world.notOnDisk && (flags & FILE_FLAG_OPEN_REPARSE_POINT)) access = FILE_READ_ATTRIBUTES;
    return documentedCreate(name, access, share, sa, disposition, flags, model);
}

DWORD WINAPI hookedAttributes(LPCWSTR name) {
    if (!world.hold.deletePending || !heldOn(name)) return GetFileAttributesW(name);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_FILE_ATTRIBUTES;
}

BOOL WINAPI hookedInformation(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
    if (!GetFileInformationByHandle(file, info)) return FALSE;
    info->dwFileAttributes |= world.notOnDisk;
    if (world.fileSystem != std::wstring_view(L"NTFS")) info->nFileIndexLow += ++world.moved;
    return TRUE;
}

BOOL WINAPI hookedInformationEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                DWORD size) {
    if (!GetFileInformationByHandleEx(file, kind, info, size)) return FALSE;
    if (world.fileSystem != std::wstring_view(L"NTFS") && kind == FileIdInfo)
        static_cast<FILE_ID_INFO*>(info)->FileId.Identifier[0] += BYTE(++world.moved);
    return TRUE;
}

BOOL WINAPI hookedVolume(HANDLE file, LPWSTR volume, DWORD volumeSize, LPDWORD serial,
                         LPDWORD length, LPDWORD flags, LPWSTR system, DWORD systemSize) {
    const BOOL got = GetVolumeInformationByHandleW(file, volume, volumeSize, serial, length, flags,
                                                   system, systemSize);
    if (got && system) lstrcpynW(system, world.fileSystem, int(systemSize));
    return got;
}

HANDLE WINAPI hookedMutex(LPSECURITY_ATTRIBUTES sa, BOOL owner, LPCWSTR name) {
    if (!world.otherSession || std::wstring_view(name).substr(0, 7) != L"Global\\")
        return CreateMutexW(sa, owner, name);
    HANDLE mutex =
        world.otherSession == ERROR_ACCESS_DENIED ? nullptr : CreateMutexW(sa, owner, name);
    SetLastError(world.otherSession);
    return mutex;
}

// The calls of a fresh world, which the test then sets.
Win32Calls newWorld() {
    world = {};
    return {&hookedCreate,        &hookedReplace,    &hookedMove,
            &documentedDelete,    &hookedAttributes, &hookedInformation,
            &hookedInformationEx, &hookedVolume,     &hookedMutex};
}

const ReplaceOutcome kOutcomes[] = {
    {"RemovedReplacedAlways", L"0.txt", ERROR_UNABLE_TO_REMOVE_REPLACED, -1, false, Kept::Nothing},
    {"RemovedReplacedPasses", L"0.txt", ERROR_UNABLE_TO_REMOVE_REPLACED, 2, false, Kept::Both},
    {"MoveReplacement", L"0.txt", ERROR_UNABLE_TO_MOVE_REPLACEMENT, -1, false, Kept::Nothing},
    {"MoveReplacement2Done", L"0.txt", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, false, Kept::Both},
    {"MoveReplacement2Stuck", L"0.txt", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, true, Kept::Nothing},
    {"MoveReplacement2OnIndex", L"group.gl", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, true,
     Kept::Text},
    {"SharingViolationPasses", L"0.txt", ERROR_SHARING_VIOLATION, 3, false, Kept::Both},
    {"AccessDenied", L"0.txt", ERROR_ACCESS_DENIED, -1, false, Kept::Nothing},
    {"NoReplaceOnThisFileSystem", L"0.txt", ERROR_INVALID_PARAMETER, -1, false, Kept::Both},
};

class ReplaceFails : public testing::TestWithParam<ReplaceOutcome> {};

// A keystroke in memo 0 whose save meets the outcome; then the next start. The person is told
// when the text was not saved (it stays in the box), and the folder after the next start is one
// they saw: no text lost, nothing of the program's own left behind.
TEST_P(ReplaceFails, NoTextIsLostAndTheNextStartIsAStateThePersonSaw) {
    TempDir dir;
    const fs::path folder = makeMemoFolder(dir.path(), memos({u"zero", u"one"}));
    {
        Win32FileSystem files(newWorld());
        world.fault = GetParam();
        files.patience = 50ms;
        CoreDriver driver(files);
        driver.start(dir.path());
        for (const Step& step : {click(0), key(TextKey::End), type(u"!")})
            driver.apply(step);
        // A refused keystroke's save is told, and the text stays in the box.
        EXPECT_FALSE(driver.ended());
        EXPECT_EQ(driver.text(), u"zero!");
        EXPECT_EQ(driver.messages().size(), GetParam().kept == Kept::Both ? 0u : 1u);
    }
    Win32FileSystem files(windowsAsDocumented());
    CoreDriver driver(files);
    driver.start(dir.path());
    const auto saved = [](bool was) { return was ? u"zero!" : u"zero"; };
    EXPECT_EQ(folderBytes(folder), with(memos({u"zero", u"one"}),
                                        {memo(0, saved(GetParam().kept != Kept::Nothing)),
                                         index({saved(GetParam().kept == Kept::Both), u"one"})}));
    EXPECT_TRUE(driver.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Documented, ReplaceFails, testing::ValuesIn(kOutcomes),
                         [](const auto& info) { return std::string(info.param.name); });

// Microsoft's reparse tags: only those that name another place are refused.
TEST(ReparseTags, OnlyWhatNamesAnotherPlaceIsNotAFile) {
    constexpr DWORD kReparse = FILE_ATTRIBUTE_REPARSE_POINT;
    // Symbolic link, junction, WSL symbolic link, global reparse, container link.
    for (const DWORD tag : {DWORD(IO_REPARSE_TAG_SYMLINK), DWORD(IO_REPARSE_TAG_MOUNT_POINT),
                            0xA000001Dul, 0xA0000019ul, 0xA0000027ul})
        EXPECT_EQ(entryKindOf(kReparse, tag), EntryKind::Other) << std::hex << tag;
    // Cloud placeholders (plain, type 1, type F), an older sync client, deduplicated, compressed
    // (WOF), hierarchical storage, single instance, projected.
    for (const DWORD tag : {0x9000001Aul, 0x9000101Aul, 0x9000F01Aul, 0x80000021ul, 0x80000013ul,
                            0x80000017ul, 0xC0000004ul, 0x80000007ul, 0x9000001Cul})
        EXPECT_EQ(entryKindOf(kReparse, tag), EntryKind::File) << std::hex << tag;
    EXPECT_EQ(entryKindOf(FILE_ATTRIBUTE_ARCHIVE, 0), EntryKind::File);
    EXPECT_EQ(entryKindOf(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 0), EntryKind::File);
    EXPECT_EQ(entryKindOf(kReparse | FILE_ATTRIBUTE_OFFLINE | 0x80000, 0x9000601A),
              EntryKind::File);  // offline, pinned
    EXPECT_EQ(entryKindOf(FILE_ATTRIBUTE_DIRECTORY, 0), EntryKind::Other);
    EXPECT_EQ(entryKindOf(FILE_ATTRIBUTE_DIRECTORY | kReparse, 0x9000001A), EntryKind::Other);
}

// However the folder is spelled, a second copy finds it locked, and the lock denies nothing of
// the folder's sharing: renames into it, a copy moving it away.
TEST(FolderLock, OneLockForEverySpellingOfTheFolder) {
    TempDir dir;
    const fs::path memo = makeMemoFolder(dir.path());
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
        std::set<std::wstring> names;
        files.list(memo, [&](const FolderEntry& e) { names.emplace(e.name); });
        EXPECT_EQ(names, (std::set<std::wstring>{L"1.txt", L"group.gl"}));
        files.remove(memo / L"1.txt");
        files.remove(memo / L"group.gl");  // else the folder below is not taken away
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        EXPECT_TRUE(RemoveDirectoryW(longPathOf(*folder).c_str())) << GetLastError();
}

TEST(ContentNotOnTheDisk, IsReadThroughTheFileItself) {
    TempDir dir;
    writeFolder(dir.path(), {{"0.txt", "zero"}});
    Win32FileSystem files(newWorld());
    for (const DWORD attribute : {0x400000ul, 0x40000ul, DWORD(FILE_ATTRIBUTE_OFFLINE)}) {
        world.notOnDisk = attribute;
        EXPECT_EQ(files.read(dir.path() / "0.txt"), "zero") << attribute;
    }
}

// What passes is waited out past a second, painting between the tries; what lasts is refused
// at once, without a single wait.
TEST(Patience, WhatPassesIsWaitedOutAndWhatLastsStandsAtOnce) {
    TempDir dir;
    Win32FileSystem files(newWorld());
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
        {"the deleted backup, still open", {ERROR_ACCESS_DENIED, L"0.txt.replaced", true}, true},
        {"a share gone for a moment", {ERROR_NETNAME_DELETED, L"0.txt.saving", false}, true},
        {"the folder refuses new files", {ERROR_ACCESS_DENIED, L"0.txt.saving", false}, false},
    };
    for (const auto& row : rows) {
        world.hold = row.hold;
        world.heldUntil = std::chrono::steady_clock::now() + 1200ms;
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

// A folder that cannot be looked at is refused as it is, not taken for another; on FAT a new
// file ID is not a new folder, but a folder put in its place is.
TEST(FolderLock, OnlyAFolderSeenToBeAnotherIsReplaced) {
    for (const wchar_t* system : {L"NTFS", L"FAT32", L"exFAT"}) {
        TempDir dir;
        const fs::path memo = makeMemoFolder(dir.path());
        Win32FileSystem files(newWorld());
        world.fileSystem = system;
        ASSERT_EQ(files.lockFolder(memo), FolderLock::Held);
        // A share that goes, as the folder's name.
        world.hold = {ERROR_NETNAME_DELETED, L"memo", false};
        world.heldUntil = std::chrono::steady_clock::now() + 300ms;
        EXPECT_TRUE(files.isLockedFolder(memo)) << "back after a blip";
        world.heldUntil += 1h;
        files.patience = 50ms;
        try {
            files.isLockedFolder(memo);
            ADD_FAILURE() << "a folder that cannot be opened taken for the same";
        } catch (const StoreError& error) {
            EXPECT_EQ(error.fault(), StoreFault::FolderUnreachable);
            EXPECT_EQ(error.code(), ERROR_NETNAME_DELETED);
        }
        world.hold = {};
        fs::rename(memo, dir.path() / "memo.old");
        Sleep(20);
        fs::create_directory(memo);
        EXPECT_FALSE(files.isLockedFolder(memo)) << "a folder put in its place";
    }
}

// A copy left running in another session, or one another user started first: the person is told,
// and this copy ends with a failure status, having changed nothing.
TEST(FolderLock, AFolderHeldInAnotherSessionIsTold) {
    for (const DWORD refusal : {DWORD(ERROR_ALREADY_EXISTS), DWORD(ERROR_ACCESS_DENIED)}) {
        TempDir dir;
        const fs::path memo = makeMemoFolder(dir.path(), memos({u"zero"}));
        Win32FileSystem files(newWorld());
        world.otherSession = refusal;
        CoreDriver driver(files);
        EXPECT_EQ(driver.start(dir.path()), StartResult::Failed);
        EXPECT_EQ(driver.messages(),
                  std::vector<std::u16string>{std::u16string(texts::kFolderInAnotherSession)});
        EXPECT_EQ(folderBytes(memo), memos({u"zero"}));
    }
}

}  // namespace
}  // namespace tetomu::test

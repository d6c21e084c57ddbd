#pragma once
// The system calls through which Win32FileSystem reads and changes the memo folder and takes its
// lock, as a table, so that the tests can hold the file layer to what Windows documents where
// Wine behaves otherwise: a rename that opens its target folder for adding a file, each
// documented outcome of a replace, a virus scanner holding a fresh file, a file whose content is
// not on the disk, a folder on a file system without lasting IDs, a network share gone for a
// moment, a mutex made in another session. The program uses the system's own.
#include <windows.h>

namespace tetomu {

struct Win32Calls {
    decltype(&CreateFileW) createFile = &CreateFileW;
    decltype(&ReplaceFileW) replaceFile = &ReplaceFileW;
    decltype(&MoveFileExW) moveFile = &MoveFileExW;
    decltype(&DeleteFileW) deleteFile = &DeleteFileW;
    decltype(&GetFileAttributesW) fileAttributes = &GetFileAttributesW;
    decltype(&GetFileInformationByHandle) fileInformation = &GetFileInformationByHandle;
    decltype(&GetFileInformationByHandleEx) fileInformationEx = &GetFileInformationByHandleEx;
    decltype(&GetVolumeInformationByHandleW) volumeInformation = &GetVolumeInformationByHandleW;
    decltype(&CreateMutexW) createMutex = &CreateMutexW;
};

}  // namespace tetomu

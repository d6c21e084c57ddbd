#pragma once
// The system calls through which Win32FileSystem changes the memo folder, as a table, so that
// the tests can hold the file layer to what Windows documents where Wine behaves otherwise: a
// rename that opens its target folder for adding a file, each documented outcome of a replace,
// a virus scanner holding a fresh file for a moment. The program uses the system's own.
#include <windows.h>

namespace tetomu {

struct Win32Calls {
    decltype(&CreateFileW) createFile = &CreateFileW;
    decltype(&ReplaceFileW) replaceFile = &ReplaceFileW;
    decltype(&MoveFileExW) moveFile = &MoveFileExW;
    decltype(&DeleteFileW) deleteFile = &DeleteFileW;
};

}  // namespace tetomu

#include "file_operations.h"

#include <shellapi.h>

bool RenameFile(HWND owner, const char* oldDoubleZero, const char* newDoubleZero) {
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
    op.wFunc = FO_RENAME;
    op.pFrom = oldDoubleZero;
    op.pTo = newDoubleZero;
    op.fFlags = FOF_SILENT;
    op.lpszProgressTitle = "Reanme";
    return SHFileOperationA(&op) == 0;
}

bool DeleteFiles(const char* doubleZeroList, HWND owner) {
    if (!doubleZeroList || !*doubleZeroList) return false;
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = doubleZeroList;
    op.fFlags = FOF_ALLOWUNDO;
    return SHFileOperationA(&op) == 0;
}

bool DeleteMatchingFiles(const std::string& pattern, HWND owner, const char* progressTitle) {
    std::string from = pattern;
    from.push_back('\0');   // the list ends with an empty entry
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT;
    op.lpszProgressTitle = progressTitle;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

bool CreateSubfolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

// Whole files, for programs that write reports.
#include <windows.h>

#include "platform/platform.h"

static DriveText PartialPathOf(const DriveText& strPath)
{
    return strPath + L".partial";
}

bool CanWriteWholeFile(const DriveText& strPath)
{
    DWORD nAttributes = GetFileAttributesW(strPath.c_str());
    if (nAttributes != INVALID_FILE_ATTRIBUTES) {
        if (nAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
            return false;
        HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(hFile);
    }
    HANDLE hPartial = CreateFileW(PartialPathOf(strPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (hPartial == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hPartial);
    return true;
}

bool ReplaceFileWhole(const DriveText& strPath, const std::string& strBytes)
{
    DriveText strPartial = PartialPathOf(strPath);
    HANDLE hFile =
        CreateFileW(strPartial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD cbWritten = 0;
    bool bWritten = WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten, nullptr) &&
                    cbWritten == strBytes.size() && FlushFileBuffers(hFile);
    CloseHandle(hFile);
    if (bWritten &&
        MoveFileExW(strPartial.c_str(), strPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(strPartial.c_str());
    return false;
}

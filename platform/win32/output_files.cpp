// What a reporting program writes besides standard output: its error stream
// and whole files.
#include <windows.h>

#include "platform/platform.h"

void WriteErrorWide(const DriveText& strText)
{
    HANDLE hErr = GetStdHandle(STD_ERROR_HANDLE);
    DWORD nMode = 0;
    DWORD cWritten = 0;
    if (GetConsoleMode(hErr, &nMode)) {
        WriteConsoleW(hErr, strText.c_str(), static_cast<DWORD>(strText.size()), &cWritten, nullptr);
        return;
    }
    UINT nCodePage = GetConsoleOutputCP();
    if (nCodePage == 0)
        nCodePage = GetACP();
    int cb = WideCharToMultiByte(nCodePage, 0, strText.c_str(), static_cast<int>(strText.size()), nullptr, 0,
                                 nullptr, nullptr);
    if (cb <= 0 || hErr == nullptr || hErr == INVALID_HANDLE_VALUE)
        return;
    std::string strBytes(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(nCodePage, 0, strText.c_str(), static_cast<int>(strText.size()), &strBytes[0], cb, nullptr,
                        nullptr);
    WriteFile(hErr, strBytes.data(), static_cast<DWORD>(strBytes.size()), &cWritten, nullptr);
}

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
    HANDLE hFile = CreateFileW(strPartial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD cbWritten = 0;
    bool bWritten = WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten, nullptr) &&
                    cbWritten == strBytes.size() && FlushFileBuffers(hFile);
    CloseHandle(hFile);
    if (bWritten && MoveFileExW(strPartial.c_str(), strPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(strPartial.c_str());
    return false;
}

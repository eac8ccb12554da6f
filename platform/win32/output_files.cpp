// Whole files, for programs that write reports.
#include <windows.h>
#include <ntsecapi.h>

#include "platform/platform.h"

// A link at the path would have a run as SYSTEM replace a file of
// somebody else's choosing.
static bool IsLink(DWORD nAttributes)
{
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A new file beside strPath, of a random name: no earlier run, and nobody
// who can write the folder, can have made it first, and it is never opened
// through a link. *pstrPartial is its path.
static HANDLE CreatePartialFile(const DriveText& strPath, DWORD nFlags, DriveText* pstrPartial)
{
    for (int nAttempt = 0; nAttempt < 4; ++nAttempt) {
        uint8_t abRandom[8] = {0};
        if (!RtlGenRandom(abRandom, sizeof(abRandom)))
            return INVALID_HANDLE_VALUE;
        *pstrPartial = strPath + L"." + LowerHexText(abRandom, sizeof(abRandom)) + L".partial";
        HANDLE hFile = CreateFileW(pstrPartial->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   nFlags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (hFile != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return hFile;
    }
    return INVALID_HANDLE_VALUE;
}

bool CanWriteWholeFile(const DriveText& strPath)
{
    DWORD nAttributes = GetFileAttributesW(strPath.c_str());
    if (nAttributes != INVALID_FILE_ATTRIBUTES) {
        if (IsLink(nAttributes) || (nAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
            return false;
        HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(hFile);
    }
    DriveText strPartial;
    HANDLE hPartial = CreatePartialFile(strPath, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, &strPartial);
    if (hPartial == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hPartial);
    return true;
}

bool ReplaceFileWhole(const DriveText& strPath, const std::string& strBytes)
{
    if (IsLink(GetFileAttributesW(strPath.c_str())))
        return false;
    DriveText strPartial;
    HANDLE hFile = CreatePartialFile(strPath, FILE_ATTRIBUTE_NORMAL, &strPartial);
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

bool RemoveWholeFile(const DriveText& strPath)
{
    if (DeleteFileW(strPath.c_str()))
        return true;
    DWORD nError = GetLastError();
    return nError == ERROR_FILE_NOT_FOUND || nError == ERROR_PATH_NOT_FOUND;
}

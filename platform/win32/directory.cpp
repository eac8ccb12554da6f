#include <windows.h>

#include "platform/platform.h"

DriveText GetCurrentDirectoryPath()
{
    DWORD cch = GetCurrentDirectoryW(0, nullptr);
    if (cch == 0)
        return DriveText();
    std::wstring strBuffer(cch, L'\0');
    cch = GetCurrentDirectoryW(cch, &strBuffer[0]);
    strBuffer.resize(cch);
    return strBuffer;
}

static void CopyEntry(const WIN32_FIND_DATAW& data, DirectoryEntry* pEntry)
{
    pEntry->strName = data.cFileName;
    pEntry->bDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

OsHandle OpenDirectoryListing(const DriveText& strPattern, DirectoryEntry* pEntry)
{
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW(strPattern.c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
        CopyEntry(data, pEntry);
    return hFind;
}

bool ReadNextDirectoryEntry(OsHandle hListing, DirectoryEntry* pEntry)
{
    WIN32_FIND_DATAW data;
    if (!FindNextFileW(hListing, &data))
        return false;
    CopyEntry(data, pEntry);
    return true;
}

void CloseDirectoryListing(OsHandle hListing)
{
    FindClose(hListing);
}

// Files that grow line by line, such as a run's log.
#include <windows.h>

#include "platform/platform.h"

OsHandle OpenAppendFile(const DriveText& strPath)
{
    // FILE_APPEND_DATA for the data: every write lands at the end, after
    // what earlier runs (or another program) wrote.
    HANDLE hFile =
        CreateFileW(strPath.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return OS_INVALID_HANDLE;
    // A link that somebody put at the log's path would have a run as SYSTEM
    // write to a file of that somebody's choosing.
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(hFile, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        info.nNumberOfLinks > 1) {
        CloseHandle(hFile);
        return OS_INVALID_HANDLE;
    }
    return hFile;
}

bool AppendToFile(OsHandle hFile, const std::string& strBytes)
{
    if (hFile == OS_INVALID_HANDLE)
        return false;
    DWORD cbWritten = 0;
    return WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten, nullptr) &&
           cbWritten == strBytes.size() && FlushFileBuffers(hFile);
}

void CloseAppendFile(OsHandle hFile)
{
    if (hFile != OS_INVALID_HANDLE)
        CloseHandle(hFile);
}

static void AppendTwoDigits(DriveText* pstrText, unsigned nValue)
{
    *pstrText += static_cast<wchar_t>(L'0' + nValue / 10 % 10);
    *pstrText += static_cast<wchar_t>(L'0' + nValue % 10);
}

DriveText UtcTimeStamp()
{
    SYSTEMTIME time;
    GetSystemTime(&time);
    DriveText strStamp = DecimalText(time.wYear);
    const wchar_t* apszSeparators[] = {L"-", L"-", L"T", L":", L":"};
    const unsigned anValues[] = {time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
    for (int i = 0; i < 5; ++i) {
        strStamp += apszSeparators[i];
        AppendTwoDigits(&strStamp, anValues[i]);
    }
    return strStamp + L"Z";
}

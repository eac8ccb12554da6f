#include "platform/sim/sim_file.h"

#include <windows.h>

#include "platform/sim/drive_set.h"


DriveText ReadEnvironmentText(const wchar_t* pszName)
{
    DWORD cch = GetEnvironmentVariableW(pszName, nullptr, 0);
    if (cch == 0)
        return DriveText();
    std::wstring strValue(cch, L'\0');
    cch = GetEnvironmentVariableW(pszName, &strValue[0], cch);
    strValue.resize(cch);
    return strValue;
}

bool ReadWholeFile(const DriveText& strPath, std::string* pstrBytes)
{
    HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    pstrBytes->clear();
    char achBuffer[4096];
    DWORD cbRead = 0;
    while (ReadFile(hFile, achBuffer, sizeof(achBuffer), &cbRead, nullptr) && cbRead > 0)
        pstrBytes->append(achBuffer, cbRead);
    CloseHandle(hFile);
    return true;
}

bool WriteWholeFile(const DriveText& strPath, const std::string& strBytes)
{
    HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD cbWritten = 0;
    BOOL bOk = WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten, nullptr);
    CloseHandle(hFile);
    return bOk && cbWritten == strBytes.size();
}

void AppendLineToFile(const DriveText& strPath, const std::string& strLine)
{
    HANDLE hFile = CreateFileW(strPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    std::string strBytes = strLine + "\n";
    DWORD cbWritten = 0;
    WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten, nullptr);
    CloseHandle(hFile);
}

std::string Utf8FromWide(const DriveText& strText)
{
    if (strText.empty())
        return std::string();
    int cb = WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), static_cast<int>(strText.size()), nullptr, 0,
                                 nullptr, nullptr);
    std::string strBytes(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), static_cast<int>(strText.size()), &strBytes[0], cb, nullptr,
                        nullptr);
    return strBytes;
}

void WriteErrorLine(const std::string& strLine)
{
    std::string strBytes = strLine + "\n";
    DWORD cbWritten = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten,
              nullptr);
}

std::string ReadSimDriveSetFile(SimDrive aDrives[SIM_LETTERS])
{
    DriveText strPath = ReadEnvironmentText(L"FWLAUNCH_SIM_DRIVES");
    std::string strText, strError;
    if (strPath.empty())
        return "FWLAUNCH_SIM_DRIVES: not set";
    if (!ReadWholeFile(strPath, &strText))
        return Utf8FromWide(strPath) + ":0: cannot be read";
    if (!ParseDriveSet(strText, aDrives, &strError))
        return Utf8FromWide(strPath) + ":" + strError;
    return std::string();
}

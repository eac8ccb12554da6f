#include "testing/drive_sim/sim_file.h"

#include <windows.h>

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

void WriteErrorLine(const std::string& strLine)
{
    std::string strBytes = strLine + "\n";
    DWORD cbWritten = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten,
              nullptr);
}

#include "tests/win32/win32_support.h"

std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH] = {0};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring strPath = szPath;
    return strPath.substr(0, strPath.find_last_of(L'\\') + 1);
}

std::wstring MakeTempFolder(const std::wstring& strSuffix)
{
    wchar_t szTemp[MAX_PATH] = {0};
    GetTempPathW(MAX_PATH, szTemp);
    std::wstring strFolder = std::wstring(szTemp) + L"fwl" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                             std::to_wstring(GetTickCount()) + strSuffix;
    CreateDirectoryW(strFolder.c_str(), nullptr);
    return strFolder;
}

void RemoveFolderTree(const std::wstring& strFolder)
{
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((strFolder + L"\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::wstring strName = data.cFileName;
            if (strName == L"." || strName == L"..")
                continue;
            std::wstring strPath = strFolder + L"\\" + strName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(strPath);
            else
                DeleteFileW(strPath.c_str());
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryW(strFolder.c_str());
}

void CreateEmptyFile(const std::wstring& strPath)
{
    WriteWholeFile(strPath, std::string());
}

HANDLE StartBoxHelper(const std::wstring& strOut, const std::wstring& strAnswers, int nCount)
{
    DeleteFileW(strOut.c_str());
    std::wstring strCommand = L"\"" + ProgramFolder() + L"box-answer.exe\" --out \"" + strOut + L"\" --answers " +
                              strAnswers + L" --count " + std::to_wstring(nCount) + L" --timeout-ms 60000";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    // The helper is ready once it has written its first line.
    for (int i = 0; i < 600 && GetFileAttributesW(strOut.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    return pi.hProcess;
}

std::string FinishBoxHelper(HANDLE hHelper, const std::wstring& strOut)
{
    if (hHelper != nullptr) {
        WaitForSingleObject(hHelper, 90000);
        CloseHandle(hHelper);
    }
    std::string strReport;
    ReadWholeFile(strOut, &strReport);
    return strReport;
}

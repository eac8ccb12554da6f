#include <windows.h>

#include <cstring>
#include <string>

#include "platform/platform.h"

static void WriteBytes(HANDLE hOut, const char* pb, size_t cb)
{
    DWORD cbWritten = 0;
    if (hOut != nullptr && hOut != INVALID_HANDLE_VALUE && cb > 0)
        WriteFile(hOut, pb, static_cast<DWORD>(cb), &cbWritten, nullptr);
}

void WriteConsoleNarrow(const char* pszText)
{
    WriteBytes(GetStdHandle(STD_OUTPUT_HANDLE), pszText, strlen(pszText));
}

// A console gets the text as it is; anything else the bytes of the console's
// code page, as a console program's output is read.
static void WriteWideTo(DWORD nStdHandle, const DriveText& strText)
{
    HANDLE hOut = GetStdHandle(nStdHandle);
    DWORD nMode = 0;
    if (GetConsoleMode(hOut, &nMode)) {
        DWORD cchWritten = 0;
        WriteConsoleW(hOut, strText.c_str(), static_cast<DWORD>(strText.size()), &cchWritten, nullptr);
        return;
    }
    UINT nCodePage = GetConsoleOutputCP();
    if (nCodePage == 0)
        nCodePage = GetACP();
    int cb = WideCharToMultiByte(nCodePage, 0, strText.c_str(), static_cast<int>(strText.size()), nullptr, 0, nullptr,
                                 nullptr);
    if (cb <= 0)
        return;
    std::string strBytes(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(nCodePage, 0, strText.c_str(), static_cast<int>(strText.size()), &strBytes[0], cb, nullptr,
                        nullptr);
    WriteBytes(hOut, strBytes.data(), strBytes.size());
}

void WriteConsoleWide(const DriveText& strText)
{
    WriteWideTo(STD_OUTPUT_HANDLE, strText);
}

void WriteErrorWide(const DriveText& strText)
{
    WriteWideTo(STD_ERROR_HANDLE, strText);
}

void ReadConsoleChar()
{
    HANDLE hIn = GetStdHandle(STD_INPUT_HANDLE);
    char ch = 0;
    DWORD cbRead = 0;
    if (hIn != nullptr && hIn != INVALID_HANDLE_VALUE)
        ReadFile(hIn, &ch, 1, &cbRead, nullptr);
}

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/platform.h"

// Captures what the platform writes to standard output.
static std::string CaptureStdout(void (*pfnWrite)())
{
    wchar_t szDir[MAX_PATH], szPath[MAX_PATH];
    GetTempPathW(MAX_PATH, szDir);
    GetTempFileNameW(szDir, L"fwl", 0, szPath);
    HANDLE hFile = CreateFileW(szPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    EXPECT_NE(hFile, INVALID_HANDLE_VALUE);
    HANDLE hOld = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, hFile);
    pfnWrite();
    SetStdHandle(STD_OUTPUT_HANDLE, hOld);
    SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
    char achBuffer[512];
    DWORD cbRead = 0;
    ReadFile(hFile, achBuffer, sizeof(achBuffer), &cbRead, nullptr);
    CloseHandle(hFile);
    return std::string(achBuffer, cbRead);
}

static const wchar_t FATAL_TEXT[] = L"致命的なエラー: GetModuleHandle が失敗しました\n";

TEST(ConsoleTest, NarrowTextIsWrittenAsIs)
{
    std::string strOut = CaptureStdout([] { WriteConsoleNarrow("Window handle is NULL\n"); });
    EXPECT_EQ(strOut, "Window handle is NULL\n");
}

TEST(JapaneseConsoleTest, FatalTextIsWrittenInFull)
{
    std::string strOut = CaptureStdout([] { WriteConsoleWide(FATAL_TEXT); });
    UINT nCodePage = GetConsoleOutputCP() ? GetConsoleOutputCP() : GetACP();
    wchar_t szWide[128] = {0};
    int cch = MultiByteToWideChar(nCodePage, 0, strOut.data(), static_cast<int>(strOut.size()), szWide, 127);
    EXPECT_EQ(std::wstring(szWide, cch), FATAL_TEXT) << "code page " << nCodePage;
}

// Reads and answers the launcher's message boxes, as a person would.
//   box-answer.exe --out FILE [--caption TEXT] [--answers ok,cancel,...]
//                  [--count N] [--until FILE] [--timeout-ms N] [--console-window]
//                  [--gate FILE]
// Each box found (a #32770 window, with the caption if one is given) is written to FILE as
// UTF-8 lines "caption:", "text:" (CR and LF as \r and \n), "buttons:",
// "owner:", "icon:", "answer:", then answered with the next answer (OK once
// the list is used up). It stops after N boxes, when the --until file
// exists, or at the time-out. With --gate PREFIX, box k (from 1) is answered
// only once the file PREFIXk exists, so that a test can change a drive, or
// take a screenshot, while it is open.
// With --console-window it first makes a hidden
// top-level window of class "ConsoleWindowClass". "ready" is the first line.
#include <windows.h>

#include <string>
#include <vector>

#include "testing/drive_sim/sim_file.h"
#include "testing/tools/console_class_window.h"

static DriveText g_strOut;

static void Report(const std::string& strLine)
{
    AppendLineToFile(g_strOut, strLine);
}

static std::string EscapeLineBreaks(const std::wstring& strText)
{
    std::wstring strEscaped;
    for (wchar_t ch : strText) {
        if (ch == L'\r')
            strEscaped += L"\\r";
        else if (ch == L'\n')
            strEscaped += L"\\n";
        else
            strEscaped += ch;
    }
    return Utf8FromText(strEscaped);
}

static std::wstring WindowText(HWND hwnd)
{
    int cch = GetWindowTextLengthW(hwnd);
    std::wstring strText(static_cast<size_t>(cch) + 1, L'\0');
    cch = GetWindowTextW(hwnd, &strText[0], cch + 1);
    strText.resize(static_cast<size_t>(cch));
    return strText;
}

struct BoxContent {
    std::wstring strText;
    std::vector<std::pair<std::wstring, HWND>> aButtons;
    bool bIcon = false;
};

static BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lParam)
{
    BoxContent* pContent = reinterpret_cast<BoxContent*>(lParam);
    wchar_t szClass[64] = {0};
    GetClassNameW(hwnd, szClass, 64);
    if (lstrcmpiW(szClass, L"Static") == 0) {
        if ((GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            pContent->bIcon = true;
        else if (GetWindowTextLengthW(hwnd) > 0)
            pContent->strText = WindowText(hwnd);
    } else if (lstrcmpiW(szClass, L"Button") == 0 && IsWindowVisible(hwnd)) {
        std::wstring strLabel;
        for (wchar_t ch : WindowText(hwnd))
            if (ch != L'&')
                strLabel += ch;
        pContent->aButtons.push_back({strLabel, hwnd});
    }
    return TRUE;
}

static void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

static bool FileExists(const DriveText& strPath)
{
    return !strPath.empty() && GetFileAttributesW(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static void AnswerBox(HWND hwndBox, const std::wstring& strAnswer, const DriveText& strGate, DWORD nDeadline)
{
    BoxContent content;
    EnumChildWindows(hwndBox, CollectChild, reinterpret_cast<LPARAM>(&content));
    std::string strButtons;
    for (const auto& button : content.aButtons)
        strButtons += (strButtons.empty() ? "" : " ") + Utf8FromText(button.first);
    Report("caption: " + EscapeLineBreaks(WindowText(hwndBox)));
    Report("text: " + EscapeLineBreaks(content.strText));
    Report("buttons: " + strButtons);
    Report(std::string("owner: ") + (GetWindow(hwndBox, GW_OWNER) == nullptr ? "none" : "yes"));
    Report(std::string("icon: ") + (content.bIcon ? "yes" : "no"));
    while (!strGate.empty() && !FileExists(strGate) && GetTickCount() < nDeadline) {
        PumpMessages();
        Sleep(50);
    }
    Report("answer: " + Utf8FromText(strAnswer));
    WORD nId = strAnswer == L"cancel" ? IDCANCEL : IDOK;
    HWND hwndButton = GetDlgItem(hwndBox, nId);
    PostMessageW(hwndBox, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(hwndButton));
}

int wmain(int argc, wchar_t** argv)
{
    std::wstring strCaption;
    std::vector<std::wstring> astrAnswers;
    DriveText strUntil;
    DriveText strGate;
    int nCount = -1;
    DWORD nTimeoutMs = 120000;
    bool bConsoleWindow = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring strArg = argv[i];
        bool bHasValue = i + 1 < argc;
        if (strArg == L"--out" && bHasValue) {
            g_strOut = argv[++i];
        } else if (strArg == L"--caption" && bHasValue) {
            strCaption = argv[++i];
        } else if (strArg == L"--answers" && bHasValue) {
            std::wstring strList = argv[++i];
            size_t nStart = 0;
            while (nStart <= strList.size()) {
                size_t nComma = strList.find(L',', nStart);
                if (nComma == std::wstring::npos)
                    nComma = strList.size();
                astrAnswers.push_back(strList.substr(nStart, nComma - nStart));
                nStart = nComma + 1;
            }
        } else if (strArg == L"--count" && bHasValue) {
            nCount = _wtoi(argv[++i]);
        } else if (strArg == L"--until" && bHasValue) {
            strUntil = argv[++i];
        } else if (strArg == L"--gate" && bHasValue) {
            strGate = argv[++i];
        } else if (strArg == L"--timeout-ms" && bHasValue) {
            nTimeoutMs = static_cast<DWORD>(_wtoi(argv[++i]));
        } else if (strArg == L"--console-window") {
            bConsoleWindow = true;
        } else {
            return 2;
        }
    }
    if (g_strOut.empty())
        return 2;
    if (bConsoleWindow)
        MakeConsoleClassWindow();
    Report("ready");

    std::vector<HWND> ahwndAnswered;
    DWORD nStart = GetTickCount();
    int nAnswered = 0;
    while (nCount < 0 || nAnswered < nCount) {
        PumpMessages();
        if (FileExists(strUntil) || GetTickCount() - nStart > nTimeoutMs)
            break;
        HWND hwndBox = FindWindowW(L"#32770", strCaption.empty() ? nullptr : strCaption.c_str());
        bool bSeen = false;
        for (HWND hwnd : ahwndAnswered)
            bSeen = bSeen || (hwnd == hwndBox && IsWindow(hwnd));
        if (hwndBox == nullptr || bSeen || !IsWindowVisible(hwndBox)) {
            Sleep(50);
            continue;
        }
        // Let the box finish laying out its controls before reading them.
        Sleep(200);
        std::wstring strAnswer = static_cast<size_t>(nAnswered) < astrAnswers.size() ? astrAnswers[nAnswered] : L"ok";
        Report("box");
        DriveText strBoxGate = strGate.empty() ? DriveText() : strGate + std::to_wstring(nAnswered + 1);
        AnswerBox(hwndBox, strAnswer, strBoxGate, nStart + nTimeoutMs);
        ahwndAnswered.push_back(hwndBox);
        ++nAnswered;
    }
    Report("done " + std::to_string(nAnswered));
    return 0;
}

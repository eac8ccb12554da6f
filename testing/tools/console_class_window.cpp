#include "testing/tools/console_class_window.h"

#include <windows.h>

static LRESULT CALLBACK ConsoleWindowProc(HWND hwnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, nMsg, wParam, lParam);
}

void MakeConsoleClassWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ConsoleWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ConsoleWindowClass";
    RegisterClassW(&wc);
    CreateWindowExW(0, L"ConsoleWindowClass", L"console", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                    wc.hInstance, nullptr);
}

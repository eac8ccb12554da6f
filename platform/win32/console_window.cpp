// The console window check, apart from the console's text: it is the only
// console call that needs USER32, which programs without boxes do not import.
#include <windows.h>

#include "platform/platform.h"

bool HasConsoleWindow()
{
    // Under a terminal application as the default console host there may be
    // no window of the classic class at all, yet the process has a console.
    return GetConsoleWindow() != nullptr || FindWindowW(L"ConsoleWindowClass", nullptr) != nullptr;
}

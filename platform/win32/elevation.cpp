#include <windows.h>

#include "platform/platform.h"

bool IsProcessElevated()
{
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return false;
    TOKEN_ELEVATION elevation;
    ZeroMemory(&elevation, sizeof(elevation));
    DWORD cbReturned = 0;
    BOOL bRead = GetTokenInformation(hToken, TokenElevation, &elevation, sizeof(elevation), &cbReturned);
    CloseHandle(hToken);
    return bRead && elevation.TokenIsElevated != 0;
}

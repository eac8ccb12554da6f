#include <windows.h>

#include "platform/platform.h"

bool IsWindowStationVisible()
{
    // Services, and programs a remote tool starts as SYSTEM, run in session
    // 0: its station says visible, but no person sees a box shown there.
    DWORD nSession = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &nSession) && nSession == 0)
        return false;
    // A service or a deployment engine runs programs on a window station of
    // its own that no person sees: a box shown there waits for ever.
    HWINSTA hStation = GetProcessWindowStation();
    USEROBJECTFLAGS flags;
    ZeroMemory(&flags, sizeof(flags));
    DWORD cbNeeded = 0;
    if (hStation == nullptr || !GetUserObjectInformationW(hStation, UOI_FLAGS, &flags, sizeof(flags), &cbNeeded))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

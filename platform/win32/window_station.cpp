#include <windows.h>

#include "platform/platform.h"

bool IsWindowStationVisible()
{
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

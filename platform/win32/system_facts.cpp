#include <windows.h>

#include "platform/platform.h"

static int ArchitectureOfMachine(USHORT nMachine)
{
    switch (nMachine) {
    case IMAGE_FILE_MACHINE_I386: return OS_ARCHITECTURE_X86;
    case IMAGE_FILE_MACHINE_AMD64: return OS_ARCHITECTURE_X64;
    case 0xAA64: return OS_ARCHITECTURE_ARM64;  // IMAGE_FILE_MACHINE_ARM64
    default: return OS_ARCHITECTURE_OTHER;
    }
}

static int ReadMachineArchitecture(int nProcessArchitecture)
{
    // Windows 10 1511 and later name the machine itself, ARM64 included.
    typedef BOOL(WINAPI * PFN_IS_WOW64_PROCESS2)(HANDLE, USHORT*, USHORT*);
    typedef BOOL(WINAPI * PFN_IS_WOW64_PROCESS)(HANDLE, PBOOL);
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    auto pfnIsWow64Process2 =
        reinterpret_cast<PFN_IS_WOW64_PROCESS2>(reinterpret_cast<void*>(GetProcAddress(hKernel, "IsWow64Process2")));
    USHORT nProcessMachine = 0, nNativeMachine = 0;
    if (pfnIsWow64Process2 != nullptr && pfnIsWow64Process2(GetCurrentProcess(), &nProcessMachine, &nNativeMachine))
        return ArchitectureOfMachine(nNativeMachine);
    // Before it, a 32-bit process under WOW64 runs on x64.
    auto pfnIsWow64Process =
        reinterpret_cast<PFN_IS_WOW64_PROCESS>(reinterpret_cast<void*>(GetProcAddress(hKernel, "IsWow64Process")));
    BOOL bWow64 = FALSE;
    if (pfnIsWow64Process != nullptr && pfnIsWow64Process(GetCurrentProcess(), &bWow64) && bWow64)
        return OS_ARCHITECTURE_X64;
    return nProcessArchitecture;
}

// RtlGetVersion tells the version as it is, whatever the manifest says.
static void ReadWindowsVersion(SystemFacts* pFacts)
{
    typedef LONG(WINAPI * PFN_RTL_GET_VERSION)(OSVERSIONINFOW*);
    auto pfnRtlGetVersion = reinterpret_cast<PFN_RTL_GET_VERSION>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    if (pfnRtlGetVersion == nullptr || pfnRtlGetVersion(&info) != 0)
        return;
    pFacts->nMajorVersion = info.dwMajorVersion;
    pFacts->nMinorVersion = info.dwMinorVersion;
    pFacts->nBuildNumber = info.dwBuildNumber;
}

void ReadSystemFacts(SystemFacts* pFacts)
{
    ZeroMemory(pFacts, sizeof(*pFacts));
#ifdef _WIN64
    pFacts->nProcessArchitecture = OS_ARCHITECTURE_X64;
#else
    pFacts->nProcessArchitecture = OS_ARCHITECTURE_X86;
#endif
    pFacts->nMachineArchitecture = ReadMachineArchitecture(pFacts->nProcessArchitecture);
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\MiniNT", 0, KEY_QUERY_VALUE, &hKey) ==
        ERROR_SUCCESS) {
        pFacts->bWindowsPe = true;
        RegCloseKey(hKey);
    }
    ReadWindowsVersion(pFacts);
}

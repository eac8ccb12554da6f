#include "testing/drive_sim/dll_preload.h"

#include <cstring>
#include <vector>

static_assert(sizeof(void*) == 4, "the stub is 32-bit code");

typedef LONG(NTAPI* MapViewOfSectionFn)(HANDLE, HANDLE, PVOID*, ULONG_PTR, SIZE_T, PLARGE_INTEGER, PSIZE_T, DWORD,
                                        ULONG, ULONG);
const DWORD SECTION_VIEW_UNMAP = 2;
const DWORD STUB_SECTION_BYTES = 0x10000;

static void AppendByte(std::vector<uint8_t>* pab, uint8_t b)
{
    pab->push_back(b);
}

static void AppendDword(std::vector<uint8_t>* pab, uint32_t n)
{
    for (int i = 0; i < 4; ++i, n >>= 8)
        pab->push_back(static_cast<uint8_t>(n));
}

// pushad; pushfd; LoadLibraryW(path); on failure ExitProcess(4); popfd;
// popad; continue at the thread's own start.
static std::vector<uint8_t> BuildStub(uint32_t nPathAddress, uint32_t nLoadLibrary, uint32_t nExitProcess,
                                      uint32_t nContinueAt)
{
    std::vector<uint8_t> abStub;
    AppendByte(&abStub, 0x60);  // pushad
    AppendByte(&abStub, 0x9C);  // pushfd
    AppendByte(&abStub, 0x68);  // push path
    AppendDword(&abStub, nPathAddress);
    AppendByte(&abStub, 0xB8);  // mov eax, LoadLibraryW
    AppendDword(&abStub, nLoadLibrary);
    AppendByte(&abStub, 0xFF), AppendByte(&abStub, 0xD0);  // call eax
    AppendByte(&abStub, 0x85), AppendByte(&abStub, 0xC0);  // test eax, eax
    std::vector<uint8_t> abFail;
    AppendByte(&abFail, 0x6A);  // push 4
    AppendByte(&abFail, static_cast<uint8_t>(PRELOAD_FAILED_EXIT_CODE));
    AppendByte(&abFail, 0xB8);  // mov eax, ExitProcess
    AppendDword(&abFail, nExitProcess);
    AppendByte(&abFail, 0xFF), AppendByte(&abFail, 0xD0);  // call eax
    AppendByte(&abStub, 0x75);                             // jnz past the failure
    AppendByte(&abStub, static_cast<uint8_t>(abFail.size()));
    abStub.insert(abStub.end(), abFail.begin(), abFail.end());
    AppendByte(&abStub, 0x9D);  // popfd
    AppendByte(&abStub, 0x61);  // popad
    AppendByte(&abStub, 0x68);  // push the thread's own start
    AppendDword(&abStub, nContinueAt);
    AppendByte(&abStub, 0xC3);  // ret
    return abStub;
}

bool PreloadDll(HANDLE hProcess, HANDLE hThread, const DriveText& strDllPath, std::string* pstrError)
{
    auto pfnMapView = reinterpret_cast<MapViewOfSectionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtMapViewOfSection")));
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    // kernel32 lies at the same address in every process of a session.
    uint32_t nLoadLibrary = reinterpret_cast<uintptr_t>(GetProcAddress(hKernel, "LoadLibraryW"));
    uint32_t nExitProcess = reinterpret_cast<uintptr_t>(GetProcAddress(hKernel, "ExitProcess"));
    CONTEXT context;
    memset(&context, 0, sizeof(context));
    context.ContextFlags = CONTEXT_CONTROL;
    if (pfnMapView == nullptr || nLoadLibrary == 0 || nExitProcess == 0 || !GetThreadContext(hThread, &context)) {
        *pstrError = "the new process's first thread cannot be read";
        return false;
    }

    // One section, seen by this process to fill it and by the new one to run it.
    HANDLE hSection =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_EXECUTE_READWRITE, 0, STUB_SECTION_BYTES, nullptr);
    uint8_t* pbLocal =
        hSection == nullptr ? nullptr : static_cast<uint8_t*>(MapViewOfFile(hSection, FILE_MAP_WRITE, 0, 0, 0));
    void* pvRemote = nullptr;
    SIZE_T cbView = 0;
    if (pbLocal == nullptr || pfnMapView(hSection, hProcess, &pvRemote, 0, 0, nullptr, &cbView, SECTION_VIEW_UNMAP, 0,
                                         PAGE_EXECUTE_READ) < 0) {
        *pstrError = "the loader stub cannot be mapped into the new process";
        if (pbLocal != nullptr)
            UnmapViewOfFile(pbLocal);
        if (hSection != nullptr)
            CloseHandle(hSection);
        return false;
    }
    uint32_t nRemote = reinterpret_cast<uintptr_t>(pvRemote);
    const size_t cbPathOffset = 0x100;
    size_t cbPath = (strDllPath.size() + 1) * sizeof(wchar_t);
    std::vector<uint8_t> abStub = BuildStub(nRemote + cbPathOffset, nLoadLibrary, nExitProcess, context.Eip);
    bool bFits = abStub.size() <= cbPathOffset && cbPathOffset + cbPath <= STUB_SECTION_BYTES;
    if (bFits) {
        memcpy(pbLocal, abStub.data(), abStub.size());
        memcpy(pbLocal + cbPathOffset, strDllPath.c_str(), cbPath);
        FlushInstructionCache(hProcess, pvRemote, abStub.size());
        context.Eip = nRemote;
    }
    UnmapViewOfFile(pbLocal);
    CloseHandle(hSection);
    if (!bFits || !SetThreadContext(hThread, &context)) {
        *pstrError = bFits ? "the new process's first thread cannot be redirected" : "the DLL's path is too long";
        return false;
    }
    return true;
}

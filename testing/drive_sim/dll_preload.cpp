#include "testing/drive_sim/dll_preload.h"

#include <cstring>
#include <vector>

typedef LONG(NTAPI* MapViewOfSectionFn)(HANDLE, HANDLE, PVOID*, ULONG_PTR, SIZE_T, PLARGE_INTEGER, PSIZE_T, DWORD,
                                        ULONG, ULONG);
const DWORD SECTION_VIEW_UNMAP = 2;
const DWORD STUB_SECTION_BYTES = 0x10000;

static void AppendByte(std::vector<uint8_t>* pab, uint8_t b)
{
    pab->push_back(b);
}

static void AppendBytes(std::vector<uint8_t>* pab, std::initializer_list<uint8_t> ab)
{
    pab->insert(pab->end(), ab);
}

static void AppendAddress(std::vector<uint8_t>* pab, uintptr_t n)
{
    for (size_t i = 0; i < sizeof(n); ++i, n >>= 8)
        pab->push_back(static_cast<uint8_t>(n));
}

#ifdef _WIN64
// Saves the registers a call may change and the flags, aligns the stack with
// room for the callee; LoadLibraryW(path); on failure ExitProcess(4);
// restores all and jumps to the thread's own start.
static std::vector<uint8_t> BuildStub(uintptr_t nPathAddress, uintptr_t nLoadLibrary, uintptr_t nExitProcess,
                                      uintptr_t nContinueAt)
{
    std::vector<uint8_t> abStub;
    // push rax, rcx, rdx, r8, r9, r10, r11; pushfq; push rbx
    AppendBytes(&abStub, {0x50, 0x51, 0x52, 0x41, 0x50, 0x41, 0x51, 0x41, 0x52, 0x41, 0x53, 0x9C, 0x53});
    AppendBytes(&abStub, {0x48, 0x89, 0xE3});        // mov rbx, rsp
    AppendBytes(&abStub, {0x48, 0x83, 0xE4, 0xF0});  // and rsp, -16
    AppendBytes(&abStub, {0x48, 0x83, 0xEC, 0x20});  // sub rsp, 32
    AppendBytes(&abStub, {0x48, 0xB9});              // mov rcx, path
    AppendAddress(&abStub, nPathAddress);
    AppendBytes(&abStub, {0x48, 0xB8});  // mov rax, LoadLibraryW
    AppendAddress(&abStub, nLoadLibrary);
    AppendBytes(&abStub, {0xFF, 0xD0, 0x48, 0x85, 0xC0});  // call rax; test rax, rax
    std::vector<uint8_t> abFail;
    AppendBytes(&abFail, {0xB9, static_cast<uint8_t>(PRELOAD_FAILED_EXIT_CODE), 0, 0, 0});  // mov ecx, 4
    AppendBytes(&abFail, {0x48, 0xB8});                                                     // mov rax, ExitProcess
    AppendAddress(&abFail, nExitProcess);
    AppendBytes(&abFail, {0xFF, 0xD0});  // call rax
    AppendByte(&abStub, 0x75);           // jnz past the failure
    AppendByte(&abStub, static_cast<uint8_t>(abFail.size()));
    abStub.insert(abStub.end(), abFail.begin(), abFail.end());
    AppendBytes(&abStub, {0x48, 0x89, 0xDC});  // mov rsp, rbx
    // pop rbx; popfq; pop r11, r10, r9, r8, rdx, rcx, rax
    AppendBytes(&abStub, {0x5B, 0x9D, 0x41, 0x5B, 0x41, 0x5A, 0x41, 0x59, 0x41, 0x58, 0x5A, 0x59, 0x58});
    AppendBytes(&abStub, {0xFF, 0x25, 0, 0, 0, 0});  // jmp [rip]: the thread's own start
    AppendAddress(&abStub, nContinueAt);
    return abStub;
}

// Where the thread's context keeps its next instruction.
#define THREAD_START_REGISTER Rip
#else
// pushad; pushfd; LoadLibraryW(path); on failure ExitProcess(4); popfd;
// popad; continue at the thread's own start.
static std::vector<uint8_t> BuildStub(uintptr_t nPathAddress, uintptr_t nLoadLibrary, uintptr_t nExitProcess,
                                      uintptr_t nContinueAt)
{
    std::vector<uint8_t> abStub;
    AppendBytes(&abStub, {0x60, 0x9C, 0x68});  // pushad; pushfd; push path
    AppendAddress(&abStub, nPathAddress);
    AppendByte(&abStub, 0xB8);  // mov eax, LoadLibraryW
    AppendAddress(&abStub, nLoadLibrary);
    AppendBytes(&abStub, {0xFF, 0xD0, 0x85, 0xC0});  // call eax; test eax, eax
    std::vector<uint8_t> abFail;
    AppendBytes(&abFail, {0x6A, static_cast<uint8_t>(PRELOAD_FAILED_EXIT_CODE), 0xB8});  // push 4; mov eax, ExitProcess
    AppendAddress(&abFail, nExitProcess);
    AppendBytes(&abFail, {0xFF, 0xD0});  // call eax
    AppendByte(&abStub, 0x75);           // jnz past the failure
    AppendByte(&abStub, static_cast<uint8_t>(abFail.size()));
    abStub.insert(abStub.end(), abFail.begin(), abFail.end());
    AppendBytes(&abStub, {0x9D, 0x61, 0x68});  // popfd; popad; push the thread's own start
    AppendAddress(&abStub, nContinueAt);
    AppendByte(&abStub, 0xC3);  // ret
    return abStub;
}

// Where the thread's context keeps its next instruction.
#define THREAD_START_REGISTER Eip
#endif

bool PreloadDll(HANDLE hProcess, HANDLE hThread, const DriveText& strDllPath, std::string* pstrError)
{
    auto pfnMapView = reinterpret_cast<MapViewOfSectionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtMapViewOfSection")));
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    // kernel32 lies at the same address in every process of a session.
    uintptr_t nLoadLibrary = reinterpret_cast<uintptr_t>(GetProcAddress(hKernel, "LoadLibraryW"));
    uintptr_t nExitProcess = reinterpret_cast<uintptr_t>(GetProcAddress(hKernel, "ExitProcess"));
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
    uintptr_t nRemote = reinterpret_cast<uintptr_t>(pvRemote);
    const size_t cbPathOffset = 0x100;
    size_t cbPath = (strDllPath.size() + 1) * sizeof(wchar_t);
    std::vector<uint8_t> abStub =
        BuildStub(nRemote + cbPathOffset, nLoadLibrary, nExitProcess, context.THREAD_START_REGISTER);
    bool bFits = abStub.size() <= cbPathOffset && cbPathOffset + cbPath <= STUB_SECTION_BYTES;
    if (bFits) {
        memcpy(pbLocal, abStub.data(), abStub.size());
        memcpy(pbLocal + cbPathOffset, strDllPath.c_str(), cbPath);
        FlushInstructionCache(hProcess, pvRemote, abStub.size());
        context.THREAD_START_REGISTER = nRemote;
    }
    UnmapViewOfFile(pbLocal);
    CloseHandle(hSection);
    if (!bFits || !SetThreadContext(hThread, &context)) {
        *pstrError = bFits ? "the new process's first thread cannot be redirected" : "the DLL's path is too long";
        return false;
    }
    return true;
}

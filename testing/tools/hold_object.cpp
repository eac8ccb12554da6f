// A test tool that stands in for a standard user's program: it creates a
// named object with its maker's default rights, holds it, and waits until a
// file exists (ten minutes at most).
//   hold-object.exe mutex|event|job NAME READY_FILE GATE_FILE
// A mutex is owned; a job gets this process as its live member. READY_FILE
// is written once the object is held.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5)
        return 2;
    std::wstring strKind = argv[1];
    HANDLE hObject = nullptr;
    if (strKind == L"mutex")
        hObject = CreateMutexW(nullptr, TRUE, argv[2]);
    else if (strKind == L"event")
        hObject = CreateEventW(nullptr, TRUE, FALSE, argv[2]);
    else if (strKind == L"job" && (hObject = CreateJobObjectW(nullptr, argv[2])) != nullptr &&
             !AssignProcessToJobObject(hObject, GetCurrentProcess()))
        return 4;
    if (hObject == nullptr)
        return 3;
    HANDLE hReady = CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hReady != INVALID_HANDLE_VALUE)
        CloseHandle(hReady);
    for (int i = 0; i < 6000 && GetFileAttributesW(argv[4]) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    CloseHandle(hObject);
    return 0;
}

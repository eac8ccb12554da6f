#pragma once
// Loads a DLL into a program started suspended, before the program's entry
// point: a small loader stub is mapped into the new process and its first
// thread is pointed at it. The system's loader initialises the process as
// usual (the program's own imports, their DllMain); the stub then loads the
// DLL and goes on to the program's own start with every register as it was.
// The program's file and image stay as they are. A DLL that cannot be loaded
// ends the program before its first instruction.
#include <windows.h>

#include <string>

#include "platform/drive_text.h"

const DWORD PRELOAD_FAILED_EXIT_CODE = 4;

// False with *pstrError when the stub could not be put in place; the
// process is then still suspended.
bool PreloadDll(HANDLE hProcess, HANDLE hThread, const DriveText& strDllPath, std::string* pstrError);

#pragma once
// Helpers of the Windows tests: temporary folders and the tools built beside
// the test program.
#include <windows.h>

#include <string>

#include "testing/drive_sim/sim_file.h"

// The folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();
// A new empty folder under the temporary folder; the suffix is part of its name.
std::wstring MakeTempFolder(const std::wstring& strSuffix);
void RemoveFolderTree(const std::wstring& strFolder);
void CreateEmptyFile(const std::wstring& strPath);
// Starts the box helper answering nCount boxes; its report goes to strOut.
HANDLE StartBoxHelper(const std::wstring& strOut, const std::wstring& strAnswers, int nCount);
// Waits for the helper and returns its report.
std::string FinishBoxHelper(HANDLE hHelper, const std::wstring& strOut);

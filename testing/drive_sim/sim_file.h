#pragma once
// Small file helpers of the drive simulator and its test tools,
// whose files are named by environment variables that hold Windows paths.
#include <string>

#include "platform/drive_text.h"

// The variable's value, empty when it is not set.
DriveText ReadEnvironmentText(const wchar_t* pszName);
bool ReadWholeFile(const DriveText& strPath, std::string* pstrBytes);
bool WriteWholeFile(const DriveText& strPath, const std::string& strBytes);
void AppendLineToFile(const DriveText& strPath, const std::string& strLine);
// The line and a line end on standard error.
void WriteErrorLine(const std::string& strLine);

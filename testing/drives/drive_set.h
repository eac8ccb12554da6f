#pragma once
// The drive-set file of the simulated drives: a section per letter, one key
// per line. Parsed into the simulated drive table, and written back in a
// canonical form when a test updater changes a drive.
#include <string>

#include "testing/drives/sim_drives.h"

// Fills aDrives (all 26 letters) from the text. On a malformed file returns
// false with *pstrError = "LINE: what is wrong" and leaves aDrives as it was.
bool ParseDriveSet(const std::string& strText, SimDrive aDrives[SIM_LETTERS], std::string* pstrError);
// A text that ParseDriveSet reads back into the same drives.
std::string FormatDriveSet(const SimDrive aDrives[SIM_LETTERS]);

#pragma once
// The drive-set file named by FWLAUNCH_SIM_DRIVES, as the simulator DLL and
// its starter read it.
#include <string>

#include "testing/drives/sim_drives.h"

// Reads the file into aDrives; on failure returns "FILE:LINE: what" and
// leaves aDrives as they were.
std::string ReadSimDriveSetFile(SimDrive aDrives[SIM_LETTERS]);

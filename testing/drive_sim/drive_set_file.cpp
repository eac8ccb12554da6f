#include "testing/drive_sim/drive_set_file.h"

#include "testing/drive_sim/sim_file.h"
#include "testing/drives/drive_set.h"

std::string ReadSimDriveSetFile(SimDrive aDrives[SIM_LETTERS])
{
    DriveText strPath = ReadEnvironmentText(L"FWLAUNCH_SIM_DRIVES");
    std::string strText, strError;
    if (strPath.empty())
        return "FWLAUNCH_SIM_DRIVES: not set";
    if (!ReadWholeFile(strPath, &strText))
        return Utf8FromText(strPath) + ":0: cannot be read";
    if (!ParseDriveSet(strText, aDrives, &strError))
        return Utf8FromText(strPath) + ":" + strError;
    return std::string();
}

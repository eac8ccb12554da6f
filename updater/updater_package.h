#pragma once
// The vendor's updater program for a model: a file in the current directory
// whose name holds the model's digits, run to completion.
#include "drive/identity.h"
#include "platform/drive_text.h"

// "5121", "5321", "5120", "5320" for codes 0 to 3; empty otherwise.
DriveText PackageDigits(ModelCode nCode);
// Full path of the first regular file, in listing order, whose file name
// contains the digits; empty when there is none.
DriveText FindUpdaterPackage(ModelCode nCode);
// What a package run came to.
struct PackageRun {
    bool bStarted;
    bool bExitCodeRead;  // the process ended and its exit code was read
    uint32_t nExitCode;
};

// Starts the package and waits for its process; false when it did not start.
bool RunUpdater(const DriveText& strPath);
// The same, started as nStartFlags say (PACKAGE_START_...), with the exit code.
PackageRun RunUpdaterPackage(const DriveText& strPath, uint32_t nStartFlags);

#pragma once
// The vendor's updater program for a model: an executable in the current
// directory whose name holds the model's digits, run to completion.
#include "drive/identity.h"
#include "platform/drive_text.h"

// "5121", "5321", "5120", "5320" for codes 0 to 3; empty otherwise.
DriveText PackageDigits(ModelCode nCode);
// Whether a file of this name is an updater of the model with these digits:
// it ends in ".exe" in any case, and the digits stand in it as a number of
// their own, with no digit right before or after them.
bool IsUpdaterCandidate(const DriveText& strName, const DriveText& strDigits);

// What the current directory holds for one model.
struct UpdaterSearch {
    DriveText strPath;          // full path of the first candidate in listing order; empty: none
    int nCandidates;            // candidates for the model
    int nSharedCandidates;      // of them, candidates for the other recognised model too
    DriveText strNonCandidate;  // the first other file whose name holds the digits
};

UpdaterSearch SearchUpdaterCandidates(ModelCode nCode);
// Full path of the first candidate in listing order; empty when there is none.
DriveText FindUpdaterPackage(ModelCode nCode);
// What a package run came to.
struct PackageRun {
    bool bStarted;
    bool bExitCodeRead;  // the process ended and its exit code was read
    uint32_t nExitCode;
    bool bTimedOut;  // still running when the wait ended; it is not stopped
};

// Starts the package and waits for its process; false when it did not start.
bool RunUpdater(const DriveText& strPath);
// The same, with the exit code.
PackageRun RunUpdaterPackage(const DriveText& strPath);
// Starts the executable itself with strArguments, in the current directory,
// and waits for it at most nWaitMilliseconds (PACKAGE_WAIT_FOREVER: no limit).
PackageRun RunUpdaterExecutable(const DriveText& strPath, const DriveText& strArguments, uint32_t nWaitMilliseconds);

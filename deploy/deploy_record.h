#pragma once
// The record fwdeploy leaves on the machine, for inventories and detection
// rules: HKLM\SOFTWARE\fwlaunch\fwdeploy\TAG, one key per tag. Its
// VerifiedRevision is there only while the last run that read the drives
// found every recognised target at the newest revision, or none needing it.
#include <cstdint>

#include "deploy/deploy_result.h"
#include "platform/drive_text.h"

// The key's path under HKEY_LOCAL_MACHINE.
DriveText DeployRecordKey(const DriveText& strTag);
// Whether an earlier run of the same tag and newest revision updated drives
// that show it only after the restart that has not happened yet.
bool IsRestartPending(const DriveText& strTag, const DriveText& strNewestRevision);
// Writes the run's values with the exit status it ends with, and marks a
// pending restart (a volatile key, which Windows drops at its next start)
// when a drive waits for one. False, with the system's error, when any of
// it could not be written.
bool WriteDeployRecord(const DeployResult& result, int nExitCode, uint32_t* pnError);

#pragma once
// fwdeploy's output: plain lines, one per event as it happens, and one JSON
// document in UTF-8 for deployment engines and inventories.
#include <string>

#include "deploy/deploy_result.h"

// The name of an outcome and of a drive's result, as the JSON document has them.
std::string OutcomeName(int nOutcome);
std::string DriveResultName(int nResult);

// A recognised drive as the scan found it.
DriveText FormatDriveLine(const DeployedDrive& drive);
// The name of an updater's state, as the JSON document has it.
std::string UpdaterStateName(int nState);
// An updater about to start: its path, what was checked, its arguments.
DriveText FormatStartingLine(const UpdaterRecord& updater);
// What became of an updater; nTimeoutMinutes is the limit a timed-out one reached.
DriveText FormatUpdaterLine(const UpdaterRecord& updater, uint32_t nTimeoutMinutes);
// A target as the verification read it.
DriveText FormatVerifiedLine(const DeployedDrive& drive);
// A volume that refused to open.
DriveText FormatRefusedLine(const RefusedVolume& volume);
DriveText FormatSummaryLine(const DeployResult& result);
std::string FormatDeployJson(const DeployResult& result);

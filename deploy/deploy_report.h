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
// An updater about to start (bEnded false), or what became of it.
DriveText FormatUpdaterLine(const UpdaterRecord& updater, bool bEnded);
// A model that had targets but whose package was never searched for.
DriveText FormatUnsearchedLine(ModelCode nModel);
// A target as the verification read it.
DriveText FormatVerifiedLine(const DeployedDrive& drive);
DriveText FormatSummaryLine(const DeployResult& result);
std::string FormatDeployJson(const DeployResult& result);

#pragma once
// Where fwdeploy's plain lines go as they happen: standard output (unless
// the JSON document takes its place) and the log, each log line with its
// time stamp and flushed at once, so that a run that dies leaves its trail.
#include "platform/platform.h"

struct DeployOutput {
    bool bPlainToStandardOutput;
    OsHandle hLog;  // OS_INVALID_HANDLE: no log
    bool bLogFailed;
};

void WriteDeployLine(DeployOutput* pOutput, const DriveText& strLine);
// A line for the log alone.
void WriteDeployLogLine(DeployOutput* pOutput, const DriveText& strLine);

#pragma once
// fwdeploy's command line: TAG NEWEST_REV --yes [--json] [--report FILE]
// [--log FILE], the options in any order after or between the two arguments.
#include "platform/drive_text.h"

struct DeployOptions {
    DriveText strTag;
    DriveText strNewestRevision;
    bool bYes;  // the consent to start updaters without asking
    bool bJson;
    DriveText strReportPath;  // empty: no report file
    DriveText strLogPath;     // empty: no log
};

// False with *pstrError, one line, for a usage error. A missing --yes is not
// one here: the caller says why it is needed.
bool ParseDeployOptions(int argc, const wchar_t* const* argv, DeployOptions* pOptions, DriveText* pstrError);

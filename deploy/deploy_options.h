#pragma once
// fwdeploy's command line: TAG NEWEST_REV --yes and its options, in any
// order after or between the two arguments.
#include <cstdint>

#include "drive/identity.h"
#include "platform/drive_text.h"

// The updaters together may run this long by default: it ends before the
// shortest default limit of the engines (Intune's 60 minutes), leaving time
// to verify the drives and write the report.
const uint32_t DEPLOY_DEFAULT_TIMEOUT_MINUTES = 50;
const uint32_t DEPLOY_MAX_TIMEOUT_MINUTES = 1440;

struct DeployOptions {
    DriveText strTag;
    DriveText strNewestRevision;
    bool bYes;  // the consent to start updaters without asking
    bool bJson;
    DriveText strReportPath;    // empty: no report file
    DriveText strLogPath;       // empty: no log
    DriveText strSigner;        // empty: any signer whose signature verifies
    DriveText strChecksumPath;  // empty: signatures decide
    DriveText strArguments5120;
    DriveText strArguments5121;
    uint32_t nTimeoutMinutes;
    bool bAllowBattery;
};

// False with *pstrError, one line, for a usage error. A missing --yes is not
// one here: the caller says why it is needed.
bool ParseDeployOptions(int argc, const wchar_t* const* argv, DeployOptions* pOptions, DriveText* pstrError);
// What --args gave the model's updater to follow its path.
DriveText ArgumentsForModel(const DeployOptions& options, ModelCode nModel);

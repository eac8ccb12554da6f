#pragma once
// How fwdeploy runs a model's updater: the one candidate in the folder,
// checked through a handle that keeps it unchanged, started itself with the
// model's arguments, and waited for until the run's deadline.
#include <cstdint>

#include "app/package_run.h"
#include "deploy/deploy_options.h"
#include "deploy/deploy_output.h"
#include "updater/updater_trust.h"

struct DeployRun {
    const DeployOptions* pOptions;
    UpdaterPolicy policy;
    DeployOutput* pOutput;
    uint64_t nDeadline;  // ReadMonotonicMilliseconds() by which every updater must have ended
};

// UpdaterRunner's two steps for fwdeploy; pvRun is the DeployRun.
void RunCheckedUpdater(UpdaterRecord* pRecord, void* pvRun);
void TellUpdaterDecided(const UpdaterRecord& record, void* pvRun);

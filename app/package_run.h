#pragma once
// The part of the update run that needs nobody at the machine: one updater
// per model, on behalf of the first target of that model, and the
// verification. The launcher runs it between its two boxes; fwdeploy runs it
// unattended.
#include <cstdint>

#include "app/drive_scan.h"
#include "updater/updater_package.h"

// Only the two recognised models ever have a package searched for.
const int UPDATER_MODELS = 2;

// One model's updater in a run.
struct UpdaterRecord {
    ModelCode nModel;
    DriveText strPath;  // empty: none was found
    PackageRun run;     // not started when no path was found
};

struct UpdaterRecords {
    int nUpdaters;
    UpdaterRecord aUpdaters[UPDATER_MODELS];  // in the order their searches began
};

// Told of an updater just before it starts (bEnded false), and once its
// process has ended, its start has failed or no package was found (bEnded true).
typedef void (*UpdaterEventFn)(const UpdaterRecord& record, bool bEnded, void* pvContext);

// Re-reads each target's identity and runs each model's package once, on
// behalf of the first target whose re-read identity is of that model; it is
// expected to update them all. False when a package failed to start.
bool RunUpdaterPackages(const DriveText& strTag, const TargetList& list, uint32_t nStartFlags, UpdaterRecords* pRecords,
                        UpdaterEventFn pfnEvent, void* pvContext);

// What the verification read of one target.
struct TargetCheck {
    bool bOutdated;
    DriveText strRevision;  // the INQUIRY revision field, trailing blanks removed
};

// A fresh INQUIRY of every target, in slot order.
void VerifyTargets(const DriveText& strNewestRev, const TargetList& list, TargetCheck aChecks[TARGET_SLOTS]);

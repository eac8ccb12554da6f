#pragma once
// The part of the update run that needs nobody at the machine: one updater
// per model, on behalf of the first target of that model, and the
// verification. The launcher runs it between its two boxes; fwdeploy runs it
// unattended, with updaters it checks first.
#include <cstdint>

#include "app/drive_scan.h"
#include "updater/updater_package.h"

// Only the two recognised models ever have a package searched for.
const int UPDATER_MODELS = 2;

// An updater's own word that its update needs a restart to show: a restart
// is required, or it has started one (and anything started after it would
// be cut off mid-flash).
const uint32_t UPDATER_EXIT_RESTART_REQUIRED = 3010;
const uint32_t UPDATER_EXIT_RESTART_STARTED = 1641;

const int UPDATER_STATE_NOT_FOUND = 0;
const int UPDATER_STATE_REFUSED = 1;  // found, but not trusted to run
const int UPDATER_STATE_START_FAILED = 2;
const int UPDATER_STATE_ENDED = 3;
const int UPDATER_STATE_TIMED_OUT = 4;    // still running when the wait ended
const int UPDATER_STATE_NOT_STARTED = 5;  // an earlier updater's state forbade it

// One model's updater in a run.
struct UpdaterRecord {
    ModelCode nModel;
    int nState;           // UPDATER_STATE_...
    DriveText strPath;    // empty: none was found
    DriveText strReason;  // why it was refused or not started
    PackageRun run;       // not started unless the state says it was
    DriveText strSha256;  // of the file started, where it was checked
    DriveText strSigner;  // its verified signer, where it has one
    DriveText strArguments;
};

struct UpdaterRecords {
    int nUpdaters;
    UpdaterRecord aUpdaters[UPDATER_MODELS];  // in the order their searches began
};

// How a program finds, checks and runs one model's updater: pfnRun fills
// the record in (path, state and run); pfnEnded, when given, is told of
// every record once it is decided.
struct UpdaterRunner {
    void (*pfnRun)(UpdaterRecord* pRecord, void* pvContext);
    void (*pfnEnded)(const UpdaterRecord& record, void* pvContext);
    void* pvContext;
};

// A record for nModel that nothing has been done for yet.
UpdaterRecord NewUpdaterRecord(ModelCode nModel);
// The launcher's way: the first candidate, started by the shell, waited for.
void RunFirstCandidate(UpdaterRecord* pRecord, void* pvContext);

// Re-reads each target's identity and has each model's updater run once, on
// behalf of the first target whose re-read identity is of that model; it is
// expected to update them all. After an updater that started a restart, or
// one still running, no further updater starts. False when a package failed
// to start.
bool RunUpdaterPackages(const DriveText& strTag, const TargetList& list, const UpdaterRunner& runner,
                        UpdaterRecords* pRecords);

// What the verification read of one target.
struct TargetCheck {
    bool bOutdated;
    DriveText strRevision;  // the INQUIRY revision field, trailing blanks removed
};

// A fresh INQUIRY of every target, in slot order.
void VerifyTargets(const DriveText& strNewestRev, const TargetList& list, TargetCheck aChecks[TARGET_SLOTS]);

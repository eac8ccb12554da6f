#include "deploy/deploy_main.h"

#include "app/drive_scan.h"
#include "app/package_run.h"
#include "deploy/deploy_options.h"
#include "deploy/deploy_output.h"
#include "deploy/deploy_record.h"
#include "deploy/deploy_report.h"
#include "deploy/deploy_result.h"
#include "deploy/deploy_updater.h"
#include "platform/platform.h"
#include "platform/update_lock_rule.h"
#include "version.h"

static const wchar_t USAGE[] =
    L"usage: fwdeploy TAG NEWEST_REV --yes [--json] [--report FILE] [--log FILE] [--signer NAME | --sha256 FILE] "
    L"[--args DIGITS=TEXT]... [--timeout MINUTES] [--allow-battery]";

static int StopWithUsageError(const DriveText& strWhat)
{
    WriteErrorWide(L"fwdeploy: " + strWhat + L" (" + USAGE + L")\r\n");
    return DEPLOY_EXIT_USAGE;
}

// The first log line of a run: the program, its version and its arguments.
static DriveText DescribeInvocation(int argc, const wchar_t* const* argv)
{
    DriveText strLine = L"fwdeploy " FWLAUNCH_VERSION_TEXT L" started with arguments:";
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        DriveText strArg = argv[i];
        bool bQuote = strArg.empty() || strArg.find_first_of(L" \t\"") != DriveText::npos;
        strLine += bQuote ? L" \"" + strArg + L"\"" : L" " + strArg;
    }
    return strLine;
}

// The launcher's scan, updater run and verification, with no box: the
// consent was given on the command line.
static void UpdateDrives(DeployRun* pRun, DeployResult* pResult)
{
    DeployOutput* pOutput = pRun->pOutput;
    TargetList list;
    ClearTargetList(&list);
    RecognisedList recognised;
    ScanDrives(pResult->strTag, pResult->strNewestRevision, &list, &recognised);
    for (int i = 0; i < recognised.nRefused; ++i) {
        pResult->aRefused[pResult->nRefused++] = recognised.aRefused[i];
        WriteDeployLine(pOutput, FormatRefusedLine(recognised.aRefused[i]));
    }
    for (int i = 0; i < recognised.nDrives; ++i) {
        DeployedDrive& drive = pResult->aDrives[pResult->nDrives++];
        drive.scanned = recognised.aDrives[i];
        drive.bOutdatedAfter = false;
        WriteDeployLine(pOutput, FormatDriveLine(drive));
    }
    if (list.nTargets > 0) {
        UpdaterRecords& updaters = pResult->updaters;
        RunUpdaterPackages(pResult->strTag, list, UpdaterRunner{RunCheckedUpdater, TellUpdaterDecided, pRun},
                           &updaters);
        // A model whose targets all failed to answer again had no search;
        // with two models there is room for it.
        for (int i = 0; i < pResult->nDrives; ++i) {
            const RecognisedDrive& scanned = pResult->aDrives[i].scanned;
            if (scanned.bOutdated && FindUpdater(updaters, scanned.nModel) == nullptr &&
                updaters.nUpdaters < UPDATER_MODELS) {
                UpdaterRecord& record = updaters.aUpdaters[updaters.nUpdaters++];
                record = NewUpdaterRecord(scanned.nModel);
                record.nState = UPDATER_STATE_NOT_STARTED;
                record.strReason = L"not searched for, no target of this model answered again";
                TellUpdaterDecided(record, pRun);
            }
        }
        // The targets are the outdated recognised drives, in the same order.
        TargetCheck aChecks[TARGET_SLOTS];
        VerifyTargets(pResult->strNewestRevision, list, aChecks);
        for (int i = 0, j = 0; i < pResult->nDrives; ++i) {
            DeployedDrive& drive = pResult->aDrives[i];
            if (drive.scanned.bOutdated) {
                drive.bOutdatedAfter = aChecks[j].bOutdated;
                drive.strRevisionAfter = aChecks[j++].strRevision;
            }
        }
    }
    DecideDeployOutcome(pResult);
    for (int i = 0; i < pResult->nDrives; ++i) {
        if (pResult->aDrives[i].scanned.bOutdated)
            WriteDeployLine(pOutput, FormatVerifiedLine(pResult->aDrives[i]));
    }
}

// Stops before any drive is opened: the outcome, the exit code and the line that says why.
static void StopBeforeDrives(DeployResult* pResult, int nOutcome, int nExitCode, const DriveText& strWhy)
{
    WriteErrorWide(L"fwdeploy: " + strWhy + L"; no drive was opened\r\n");
    pResult->nOutcome = nOutcome;
    pResult->nExitCode = nExitCode;
}

// An answer an engine counts as done must rest on everything written.
static int FailedUnlessFailing(int nExitCode)
{
    return nExitCode == DEPLOY_EXIT_SUCCESS || nExitCode == DEPLOY_EXIT_RESTART_REQUIRED ? DEPLOY_EXIT_FAILED
                                                                                         : nExitCode;
}

// The record on the machine, with the exit code the run ends with; a record
// that cannot be written leaves no run an answer of success.
static void RecordDeployRun(DeployOutput* pOutput, DeployResult* pResult)
{
    pResult->bRecordWritten = WriteDeployRecord(*pResult, pResult->nExitCode, &pResult->nRecordError);
    if (pResult->bRecordWritten)
        return;
    DriveText strLine = L"the record HKLM\\" + DeployRecordKey(pResult->strTag) +
                        L" could not be written (Windows error " + DecimalText(pResult->nRecordError) + L")";
    WriteErrorWide(L"fwdeploy: " + strLine + L"\r\n");
    WriteDeployLogLine(pOutput, strLine);
    pResult->nExitCode = FailedUnlessFailing(pResult->nExitCode);
}

int RunDeploy(int argc, const wchar_t* const* argv)
{
    DeployOptions options;
    DriveText strError;
    if (!ParseDeployOptions(argc, argv, &options, &strError))
        return StopWithUsageError(strError);
    if (!options.bYes)
        return StopWithUsageError(L"--yes is needed: fwdeploy starts the updaters without asking");
    // Checked before any drive is touched.
    if (!options.strReportPath.empty() && !CanWriteWholeFile(options.strReportPath))
        return StopWithUsageError(L"cannot write the report file " + options.strReportPath);
    DeployRun run = {&options, UpdaterPolicy{options.strSigner, !options.strChecksumPath.empty(), {}}, nullptr, 0};
    if (run.policy.bChecksumList) {
        std::string strList;
        if (!ReadSmallFile(options.strChecksumPath, &strList))
            return StopWithUsageError(L"cannot read the SHA-256 list " + options.strChecksumPath);
        if (!ParseChecksumList(strList, &run.policy.astrApprovedSha256, &strError))
            return StopWithUsageError(L"the SHA-256 list " + options.strChecksumPath + L": " + strError);
    }
    DeployOutput output = {!options.bJson, OS_INVALID_HANDLE, false};
    run.pOutput = &output;
    if (!options.strLogPath.empty()) {
        output.hLog = OpenAppendFile(options.strLogPath);
        if (output.hLog == OS_INVALID_HANDLE)
            return StopWithUsageError(L"cannot write the log file " + options.strLogPath);
    }
    // An engine that finds the report after a run that died, or could not
    // write it, must not read the previous run's answer.
    if (!options.strReportPath.empty() && !RemoveWholeFile(options.strReportPath)) {
        CloseAppendFile(output.hLog);
        return StopWithUsageError(L"cannot remove the earlier report file " + options.strReportPath);
    }
    WriteDeployLogLine(&output, DescribeInvocation(argc, argv));
    // The engine's clock runs from the start: so does the updaters' limit.
    run.nDeadline = ReadMonotonicMilliseconds() + uint64_t{options.nTimeoutMinutes} * 60000;

    DeployResult result;
    ClearDeployResult(&result, options.strTag, options.strNewestRevision);
    OsHandle hLock = OS_INVALID_HANDLE;
    int nLock = UPDATE_LOCK_FAILED;
    if (!IsProcessElevated()) {
        StopBeforeDrives(&result, DEPLOY_OUTCOME_NOT_ELEVATED, DEPLOY_EXIT_NOT_ELEVATED,
                         L"this process is not elevated: start it as an administrator or as SYSTEM");
    } else if (IsRestartPending(options.strTag, options.strNewestRevision)) {
        // The drives show the update only after the restart: a second flash
        // now would write firmware they already hold.
        StopBeforeDrives(&result, DEPLOY_OUTCOME_RESTART_PENDING, DEPLOY_EXIT_RESTART_REQUIRED,
                         L"an earlier run updated drives to " + options.strNewestRevision +
                             L" that show it after the restart still to come: restart Windows");
    } else if (!options.bAllowBattery && IsOnBatteryPower()) {
        // A flash cut short by a flat battery can leave a drive unusable.
        StopBeforeDrives(&result, DEPLOY_OUTCOME_ON_BATTERY, DEPLOY_EXIT_BUSY,
                         L"this machine runs on its battery: connect it to AC power, or give --allow-battery");
    } else if ((nLock = TakeUpdateLock(&hLock, &result.nLockError)) == UPDATE_LOCK_BUSY) {
        StopBeforeDrives(&result, DEPLOY_OUTCOME_BUSY, DEPLOY_EXIT_BUSY,
                         L"another update run is going on (its lock is held, or an updater it started still "
                         L"runs): try again later");
    } else if (nLock == UPDATE_LOCK_FAILED) {
        StopBeforeDrives(&result, DEPLOY_OUTCOME_LOCK_FAILED, DEPLOY_EXIT_FAILED,
                         L"the update run's lock cannot be had (Windows error " + DecimalText(result.nLockError) +
                             L")");
    } else {
        if (nLock == UPDATE_LOCK_TAKEN_SQUATTED)
            WriteDeployLine(&output, L"a name of the update run's lock is held by an object no administrator "
                                     L"made: it was passed over");
        UpdateDrives(&run, &result);
    }
    RecordDeployRun(&output, &result);

    // An engine that reads the report must not take a missing one for success.
    if (!options.strReportPath.empty() && !ReplaceFileWhole(options.strReportPath, FormatDeployJson(result))) {
        WriteErrorWide(L"fwdeploy: cannot write the report file " + options.strReportPath + L"\r\n");
        WriteDeployLogLine(&output, L"the report file could not be written: " + options.strReportPath);
        result.nExitCode = DEPLOY_EXIT_FAILED;
        if (result.bRecordWritten)
            RecordDeployRun(&output, &result);
    }
    WriteDeployLine(&output, FormatSummaryLine(result));
    if (options.bJson)
        WriteConsoleNarrow(FormatDeployJson(result).c_str());
    ReleaseUpdateLock(hLock);
    if (output.bLogFailed)
        WriteErrorWide(L"fwdeploy: some lines could not be written to the log file " + options.strLogPath + L"\r\n");
    CloseAppendFile(output.hLog);
    return result.nExitCode;
}

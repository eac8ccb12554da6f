#include "deploy/deploy_main.h"

#include "app/drive_scan.h"
#include "app/package_run.h"
#include "deploy/deploy_options.h"
#include "deploy/deploy_output.h"
#include "deploy/deploy_report.h"
#include "deploy/deploy_result.h"
#include "deploy/deploy_updater.h"
#include "platform/platform.h"
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
    WriteDeployLogLine(&output, DescribeInvocation(argc, argv));
    // The engine's clock runs from the start: so does the updaters' limit.
    run.nDeadline = ReadMonotonicMilliseconds() + uint64_t{options.nTimeoutMinutes} * 60000;

    DeployResult result;
    ClearDeployResult(&result, options.strTag, options.strNewestRevision);
    OsHandle hLock = OS_INVALID_HANDLE;
    if (!IsProcessElevated()) {
        WriteErrorWide(L"fwdeploy: this process is not elevated: start it as an administrator or as SYSTEM; "
                       L"no drive was opened\r\n");
        result.nOutcome = DEPLOY_OUTCOME_NOT_ELEVATED;
        result.nExitCode = DEPLOY_EXIT_NOT_ELEVATED;
    } else if (!options.bAllowBattery && IsOnBatteryPower()) {
        // A flash cut short by a flat battery can leave a drive unusable.
        WriteErrorWide(L"fwdeploy: this machine runs on its battery: connect it to AC power, or give "
                       L"--allow-battery; no drive was opened\r\n");
        result.nOutcome = DEPLOY_OUTCOME_ON_BATTERY;
        result.nExitCode = DEPLOY_EXIT_BUSY;
    } else if ((hLock = TakeUpdateLock()) == OS_INVALID_HANDLE) {
        WriteErrorWide(
            L"fwdeploy: another update run is going on (its lock is held, or an updater it started still runs): "
            L"try again later; "
            L"no drive was opened\r\n");
        result.nOutcome = DEPLOY_OUTCOME_BUSY;
        result.nExitCode = DEPLOY_EXIT_BUSY;
    } else {
        UpdateDrives(&run, &result);
    }
    WriteDeployLine(&output, FormatSummaryLine(result));

    int nExitCode = result.nExitCode;
    std::string strDocument = FormatDeployJson(result);
    if (options.bJson)
        WriteConsoleNarrow(strDocument.c_str());
    // An engine that reads the report must not take a missing one for success.
    if (!options.strReportPath.empty() && !ReplaceFileWhole(options.strReportPath, strDocument)) {
        WriteErrorWide(L"fwdeploy: cannot write the report file " + options.strReportPath + L"\r\n");
        WriteDeployLogLine(&output, L"the report file could not be written: " + options.strReportPath);
        if (nExitCode == DEPLOY_EXIT_SUCCESS)
            nExitCode = DEPLOY_EXIT_FAILED;
    }
    ReleaseUpdateLock(hLock);
    if (output.bLogFailed)
        WriteErrorWide(L"fwdeploy: some lines could not be written to the log file " + options.strLogPath + L"\r\n");
    CloseAppendFile(output.hLog);
    return nExitCode;
}

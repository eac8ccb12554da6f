#include "deploy/deploy_report.h"

#include <nlohmann/json.hpp>

using OrderedJson = nlohmann::ordered_json;

std::string OutcomeName(int nOutcome)
{
    static const char* const APSZ_OUTCOMES[] = {"no_target",        "current",    "updated",         "failed",
                                                "restart_required", "busy",       "not_elevated",    "on_battery",
                                                "timed_out",        "incomplete", "restart_pending", "lock_failed"};
    return nOutcome >= 0 && nOutcome <= DEPLOY_OUTCOME_LOCK_FAILED ? APSZ_OUTCOMES[nOutcome] : "failed";
}

std::string DriveResultName(int nResult)
{
    static const char* const APSZ_RESULTS[] = {"current", "updated", "still_outdated", "restart_required"};
    return nResult >= 0 && nResult <= DRIVE_RESULT_RESTART_REQUIRED ? APSZ_RESULTS[nResult] : "still_outdated";
}

static DriveText WideName(const std::string& strName)
{
    DriveText strText;
    for (char ch : strName)
        strText += ch == '_' ? L' ' : static_cast<wchar_t>(ch);
    return strText;
}

static DriveText LetterText(char chLetter)
{
    return DriveText(1, static_cast<wchar_t>(static_cast<unsigned char>(chLetter))) + L":";
}

DriveText FormatDriveLine(const DeployedDrive& drive)
{
    const RecognisedDrive& scanned = drive.scanned;
    return LetterText(scanned.chLetter) + L" model " + PackageDigits(scanned.nModel) + L", revision \"" +
           scanned.strRevision + L"\", " + (scanned.bOutdated ? L"outdated" : L"current") + L", entry \"" +
           scanned.strEntry + L"\"";
}

std::string UpdaterStateName(int nState)
{
    static const char* const APSZ_STATES[] = {"not_found", "refused",   "start_failed",
                                              "ended",     "timed_out", "not_started"};
    return nState >= 0 && nState <= UPDATER_STATE_NOT_STARTED ? APSZ_STATES[nState] : "not_started";
}

DriveText FormatStartingLine(const UpdaterRecord& updater)
{
    DriveText strLine = L"updater " + PackageDigits(updater.nModel) + L": starting " + updater.strPath + L" (SHA-256 " +
                        updater.strSha256 + L", signer " +
                        (updater.strSigner.empty() ? DriveText(L"none") : L"\"" + updater.strSigner + L"\"") + L")";
    if (!updater.strArguments.empty())
        strLine += L" with arguments " + updater.strArguments;
    return strLine;
}

DriveText FormatUpdaterLine(const UpdaterRecord& updater, uint32_t nTimeoutMinutes)
{
    DriveText strLine = L"updater " + PackageDigits(updater.nModel) + L": ";
    switch (updater.nState) {
    case UPDATER_STATE_NOT_FOUND: return strLine + L"none found in the current folder";
    case UPDATER_STATE_REFUSED:
        return strLine + (updater.strPath.empty() ? DriveText() : updater.strPath + L" ") + L"refused: " +
               updater.strReason;
    case UPDATER_STATE_START_FAILED: return strLine + updater.strPath + L" could not be started";
    case UPDATER_STATE_TIMED_OUT:
        return strLine + updater.strPath + L" timed out: still running after " + DecimalText(nTimeoutMinutes) +
               L" minutes, left to finish";
    case UPDATER_STATE_NOT_STARTED: return strLine + L"not started: " + updater.strReason;
    default: break;
    }
    if (!updater.run.bExitCodeRead)
        return strLine + updater.strPath + L" ended, its exit code unknown";
    return strLine + updater.strPath + L" ended with exit code " + DecimalText(updater.run.nExitCode);
}

DriveText FormatVerifiedLine(const DeployedDrive& drive)
{
    return LetterText(drive.scanned.chLetter) + L" revision after the update \"" + drive.strRevisionAfter + L"\", " +
           WideName(DriveResultName(drive.nResult));
}

DriveText FormatRefusedLine(const RefusedVolume& volume)
{
    return LetterText(volume.chLetter) + L" refused to open (Windows error " + DecimalText(volume.nError) +
           L"): its drive was not read";
}

DriveText FormatSummaryLine(const DeployResult& result)
{
    return L"outcome " + WideName(OutcomeName(result.nOutcome)) + L", exit code " + DecimalText(result.nExitCode);
}

static OrderedJson DriveJson(const DeployedDrive& drive)
{
    OrderedJson item;
    item["letter"] = std::string(1, drive.scanned.chLetter);
    item["entry"] = Utf8FromText(drive.scanned.strEntry);
    item["model"] = Utf8FromText(PackageDigits(drive.scanned.nModel));
    item["revision_before"] = Utf8FromText(drive.scanned.strRevision);
    item["revision_after"] =
        drive.scanned.bOutdated ? OrderedJson(Utf8FromText(drive.strRevisionAfter)) : OrderedJson(nullptr);
    item["result"] = DriveResultName(drive.nResult);
    return item;
}

// Empty text is no value at all.
static OrderedJson TextOrNull(const DriveText& strText)
{
    return strText.empty() ? OrderedJson(nullptr) : OrderedJson(Utf8FromText(strText));
}

static OrderedJson UpdaterJson(const UpdaterRecord& updater)
{
    OrderedJson item;
    item["model"] = Utf8FromText(PackageDigits(updater.nModel));
    item["path"] = TextOrNull(updater.strPath);
    item["started"] = updater.run.bStarted;
    item["exit_code"] =
        updater.run.bStarted && updater.run.bExitCodeRead ? OrderedJson(updater.run.nExitCode) : OrderedJson(nullptr);
    item["state"] = UpdaterStateName(updater.nState);
    item["reason"] = TextOrNull(updater.strReason);
    item["sha256"] = TextOrNull(updater.strSha256);
    item["signer"] = TextOrNull(updater.strSigner);
    item["arguments"] = Utf8FromText(updater.strArguments);
    return item;
}

std::string FormatDeployJson(const DeployResult& result)
{
    OrderedJson document;
    document["tag"] = Utf8FromText(result.strTag);
    document["newest_revision"] = Utf8FromText(result.strNewestRevision);
    document["outcome"] = OutcomeName(result.nOutcome);
    document["exit_code"] = result.nExitCode;
    document["drives"] = OrderedJson::array();
    for (int i = 0; i < result.nDrives; ++i)
        document["drives"].push_back(DriveJson(result.aDrives[i]));
    document["refused_volumes"] = OrderedJson::array();
    for (int i = 0; i < result.nRefused; ++i)
        document["refused_volumes"].push_back(
            OrderedJson{{"letter", std::string(1, result.aRefused[i].chLetter)}, {"error", result.aRefused[i].nError}});
    document["updaters"] = OrderedJson::array();
    for (int i = 0; i < result.updaters.nUpdaters; ++i)
        document["updaters"].push_back(UpdaterJson(result.updaters.aUpdaters[i]));
    document["record"] =
        OrderedJson{{"written", result.bRecordWritten},
                    {"error", result.bRecordWritten ? OrderedJson(nullptr) : OrderedJson(result.nRecordError)}};
    return document.dump(2) + "\n";
}

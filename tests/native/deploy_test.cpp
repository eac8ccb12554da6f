// fwdeploy over the simulated drives: consent and usage, the stops before
// any drive (not elevated, another run busy), the exit status an engine acts
// on, the same commands as the launcher's run, and its three outputs.
#include <nlohmann/json.hpp>

#include <algorithm>

#include "app/entry.h"
#include "tests/native/deploy_fixture.h"
#include "version.h"

struct UsageCase {
    const char* pszName;
    std::vector<const wchar_t*> apszArgs;
    const wchar_t* pszError;
};

class DeployUsageTest : public DeployTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(DeployUsageTest, IsOneLineWithStatusTwoAndNoDriveOpened)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_mapSimSmallFiles[L"C:\\bad.txt"] = "# approved\nnot a sum  FW5120.exe\n";
    EXPECT_EQ(RunDeployWith(GetParam().apszArgs), DEPLOY_EXIT_USAGE);
    EXPECT_EQ(g_strSimErrorOut, L"fwdeploy: " + DriveText(GetParam().pszError) +
                                    L" (usage: fwdeploy TAG NEWEST_REV --yes [--json] [--report FILE] [--log FILE] "
                                    L"[--signer NAME | --sha256 FILE] "
                                    L"[--args DIGITS=TEXT]... [--timeout MINUTES] [--allow-battery])\r\n");
    EXPECT_FALSE(AnyDriveOpened());
    EXPECT_TRUE(Starts().empty());
    EXPECT_EQ(g_strSimConsoleOut, L"");
    EXPECT_TRUE(g_mapSimAppendedFiles.empty() && g_mapSimWrittenFiles.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeployUsageTest,
    ::testing::Values(
        UsageCase{"NoYes", {L"ACME", L"1.10"}, L"--yes is needed: fwdeploy starts the updaters without asking"},
        UsageCase{"NoYesWithJson",
                  {L"ACME", L"1.10", L"--json", L"--log", L"C:\\l.txt"},
                  L"--yes is needed: fwdeploy starts the updaters without asking"},
        UsageCase{"NoArguments", {L"--yes"}, L"missing TAG and NEWEST_REV"},
        UsageCase{"OneArgument", {L"ACME", L"--yes"}, L"missing NEWEST_REV"},
        UsageCase{"EmptyTag", {L"", L"1.10", L"--yes"}, L"TAG is empty"},
        UsageCase{"EmptyRevision", {L"ACME", L"", L"--yes"}, L"NEWEST_REV is empty"},
        UsageCase{"LongTag",
                  {L"ACMEACME9", L"1.10", L"--yes"},
                  L"TAG ACMEACME9 is longer than the 8 characters a drive holds for it"},
        UsageCase{"UnknownOption", {L"ACME", L"1.10", L"--yes", L"--silent"}, L"unknown option --silent"},
        UsageCase{"ThirdArgument", {L"ACME", L"1.10", L"E:", L"--yes"}, L"unexpected argument E:"},
        UsageCase{"ReportLast", {L"ACME", L"1.10", L"--yes", L"--report"}, L"--report needs a file name"},
        UsageCase{"LogThenOption", {L"ACME", L"1.10", L"--log", L"--yes"}, L"--log needs a file name"},
        UsageCase{"LogEmpty", {L"ACME", L"1.10", L"--yes", L"--log", L""}, L"--log needs a file name"},
        UsageCase{
            "ReportTwice", {L"ACME", L"1.10", L"--yes", L"--report", L"a", L"--report", L"b"}, L"--report given twice"},
        UsageCase{"ArgsOfAnotherModel",
                  {L"ACME", L"1.10", L"--yes", L"--args", L"5122=/s"},
                  L"--args needs 5120=TEXT or 5121=TEXT, not 5122=/s"},
        UsageCase{"ArgsWithoutText",
                  {L"ACME", L"1.10", L"--yes", L"--args", L"5120="},
                  L"--args needs 5120=TEXT or 5121=TEXT, not 5120="},
        UsageCase{"ArgsWithoutEquals",
                  {L"ACME", L"1.10", L"--yes", L"--args", L"/s"},
                  L"--args needs 5120=TEXT or 5121=TEXT, not /s"},
        UsageCase{"ArgsTwiceForAModel",
                  {L"ACME", L"1.10", L"--yes", L"--args", L"5120=/s", L"--args", L"5120=/q"},
                  L"--args given twice for 5120"},
        UsageCase{"ArgsLast", {L"ACME", L"1.10", L"--yes", L"--args"}, L"--args needs DIGITS=TEXT"},
        UsageCase{"TimeoutZero",
                  {L"ACME", L"1.10", L"--yes", L"--timeout", L"0"},
                  L"--timeout needs whole minutes from 1 to 1440, not 0"},
        UsageCase{"TimeoutTooLong",
                  {L"ACME", L"1.10", L"--yes", L"--timeout", L"1441"},
                  L"--timeout needs whole minutes from 1 to 1440, not 1441"},
        UsageCase{"TimeoutNotANumber",
                  {L"ACME", L"1.10", L"--yes", L"--timeout", L"1h"},
                  L"--timeout needs whole minutes from 1 to 1440, not 1h"},
        UsageCase{"TimeoutTwice",
                  {L"ACME", L"1.10", L"--yes", L"--timeout", L"5", L"--timeout", L"6"},
                  L"--timeout given twice"},
        UsageCase{"SignerWithoutName", {L"ACME", L"1.10", L"--yes", L"--signer"}, L"--signer needs a name"},
        UsageCase{"SignerAndList",
                  {L"ACME", L"1.10", L"--yes", L"--signer", L"KDR Vendor", L"--sha256", L"C:\\sums.txt"},
                  L"--signer and --sha256 do not go together: with --sha256 the list alone decides"},
        UsageCase{"ListThatCannotBeRead",
                  {L"ACME", L"1.10", L"--yes", L"--sha256", L"C:\\none.txt"},
                  L"cannot read the SHA-256 list C:\\none.txt"},
        UsageCase{"ListWithABadLine",
                  {L"ACME", L"1.10", L"--yes", L"--sha256", L"C:\\bad.txt"},
                  L"the SHA-256 list C:\\bad.txt: line 2 is not \"SHA256  NAME\""}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.pszName); });

TEST_F(DeployTest, FilesThatCannotBeWrittenAreUsageErrors)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    g_bSimFilesWritable = false;
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--report", L"C:\\ro\\r.json"}), DEPLOY_EXIT_USAGE);
    EXPECT_NE(g_strSimErrorOut.find(L"cannot write the report file C:\\ro\\r.json"), DriveText::npos);
    g_strSimErrorOut.clear();
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--log", L"C:\\ro\\l.txt"}), DEPLOY_EXIT_USAGE);
    EXPECT_NE(g_strSimErrorOut.find(L"cannot write the log file C:\\ro\\l.txt"), DriveText::npos);
    EXPECT_FALSE(AnyDriveOpened());
}

TEST_F(DeployTest, NotElevatedStopsWithFiveBeforeAnyDrive)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_bSimElevated = false;
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--json", L"--report", L"C:\\r.json"}),
              DEPLOY_EXIT_NOT_ELEVATED);
    EXPECT_FALSE(AnyDriveOpened());
    EXPECT_TRUE(TraceLinesStartingWith("lock").empty());
    EXPECT_EQ(std::count(g_strSimErrorOut.begin(), g_strSimErrorOut.end(), L'\n'), 1) << "one line";
    nlohmann::json document = Document();
    EXPECT_EQ(document["outcome"], "not_elevated");
    EXPECT_EQ(document["exit_code"], 5);
    EXPECT_TRUE(document["drives"].empty() && document["updaters"].empty());
    EXPECT_EQ(g_mapSimWrittenFiles[L"C:\\r.json"], NarrowSimText(g_strSimConsoleOut));
}

TEST_F(DeployTest, AnotherRunHoldingTheLockStopsWith1618BeforeAnyDrive)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_nSimUpdateLock = UPDATE_LOCK_BUSY;
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_BUSY);
    EXPECT_FALSE(AnyDriveOpened());
    EXPECT_TRUE(Starts().empty());
    EXPECT_EQ(Document()["outcome"], "busy");
    EXPECT_TRUE(Document()["drives"].empty());
}

TEST_F(DeployTest, HoldsTheLockFromBeforeTheScanUntilTheReportIsWritten)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--report", L"C:\\r.json"}), DEPLOY_EXIT_SUCCESS);
    size_t nTaken = TraceIndex("lock taken");
    size_t nReleased = TraceIndex("lock released");
    ASSERT_LT(nTaken, g_astrSimTrace.size());
    EXPECT_LT(nTaken, TraceIndex("open "));
    ASSERT_LT(TraceIndex("write C:\\r.json"), g_astrSimTrace.size());
    EXPECT_GT(nReleased, TraceIndex("write C:\\r.json"));
    EXPECT_EQ(nReleased, g_astrSimTrace.size() - 1) << "released last";
}

TEST_F(DeployTest, StartsTheFileItHoldsItselfWithoutTheShellAndReleasesItAfterTheWait)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    RunJson();
    EXPECT_TRUE(TraceLinesStartingWith("start ").empty()) << "no shell";
    std::vector<std::string> astrEvents;
    for (const char* pszPrefix : {"hold ", "create ", "wait ", "release "})
        astrEvents.push_back(g_astrSimTrace[TraceIndex(pszPrefix)]);
    EXPECT_EQ(astrEvents, (std::vector<std::string>{"hold C:\\fw\\FW5120.exe", "create C:\\fw\\FW5120.exe [] in C:\\fw",
                                                    "wait at most 3000000 ms", "release FW5120.exe"}));
    EXPECT_TRUE(std::is_sorted(astrEvents.begin(), astrEvents.end(), [](const std::string& a, const std::string& b) {
        return TraceIndex(a) < TraceIndex(b);
    }));
    EXPECT_TRUE(g_aSimBoxes.empty());
}

// The drive commands of a run and the packages it ran, without the events
// that only one of the two programs has (boxes, its lock, its checks).
static std::vector<std::string> DriveAndPackageEvents()
{
    std::vector<std::string> astrEvents;
    for (const std::string& strLine : g_astrSimTrace) {
        std::string strWord = strLine.substr(0, strLine.find(' '));
        if (strWord == "open" || strWord == "send" || strWord == "close")
            astrEvents.push_back(strLine);
        else if (strWord == "start" || strWord == "create")
            astrEvents.push_back("run " +
                                 strLine.substr(strWord.size() + 1, strLine.find(".exe") + 4 - strWord.size() - 1));
    }
    return astrEvents;
}

TEST_F(DeployTest, AsksTheDrivesWhatTheLaunchersRunAsksAfterOk)
{
    auto setUp = []() {
        SimDriveAt('E') = OutdatedDrive("5120");
        SimDriveAt('F') = OutdatedDrive("5121");
        SimDriveAt('G') = OutdatedDrive("5120");
        SimDriveAt('H') = MakeTargetDrive("KDR 5120ACME", "CUR-DRIVE", "1.10");
        SimDriveAt('I') = MakeTargetDrive("XYZ 9000ACME", "OTHER", "1.02");
        AddSimFile(L"FW5120.exe");
        AddSimFile(L"FW5121.exe");
    };
    setUp();
    const wchar_t* apszArgs[] = {L"fwlaunch.exe", L"ACME", L"1.10", nullptr};
    ASSERT_EQ(RunLauncher(3, apszArgs), 0);
    std::vector<std::string> astrLauncher = DriveAndPackageEvents();
    ResetSimSystem();
    setUp();
    ASSERT_EQ(RunJson(), DEPLOY_EXIT_SUCCESS);
    EXPECT_EQ(DriveAndPackageEvents(), astrLauncher);
}

struct OutcomeCase {
    const char* pszName;
    std::vector<SimFile> aFiles;  // the folder's listing
    bool bUpdatesTheDrive;        // the 5120 package brings E to 1.10
    int nExitCode;
    const char* pszOutcome;
    const char* pszDriveResult;
};

class DeployOutcomeTest : public DeployTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(DeployOutcomeTest, GivesTheExitStatusEnginesActOn)
{
    const OutcomeCase& c = GetParam();
    SimDriveAt('E') = OutdatedDrive("5120");
    if (!c.bUpdatesTheDrive)
        SimDriveAt('E').strUpdatedBy.clear();
    g_aSimFiles = c.aFiles;
    EXPECT_EQ(RunJson(), c.nExitCode);
    nlohmann::json document = Document();
    EXPECT_EQ(document["outcome"], c.pszOutcome);
    EXPECT_EQ(document["exit_code"], c.nExitCode);
    ASSERT_EQ(document["drives"].size(), 1u);
    EXPECT_EQ(document["drives"][0]["result"], c.pszDriveResult);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeployOutcomeTest,
    ::testing::Values(
        OutcomeCase{"Updated", {MakeSimFile(L"FW5120.exe", false, true, 0)}, true, 0, "updated", "updated"},
        OutcomeCase{
            "UpdatedDespite3010", {MakeSimFile(L"FW5120.exe", false, true, 3010)}, true, 0, "updated", "updated"},
        OutcomeCase{"RestartRequired",
                    {MakeSimFile(L"FW5120.exe", false, true, 3010)},
                    false,
                    3010,
                    "restart_required",
                    "restart_required"},
        OutcomeCase{"RestartStarted",
                    {MakeSimFile(L"FW5120.exe", false, true, 1641)},
                    false,
                    3010,
                    "restart_required",
                    "restart_required"},
        OutcomeCase{
            "UpdaterDidNotUpdate", {MakeSimFile(L"FW5120.exe", false, true, 0)}, false, 1, "failed", "still_outdated"},
        OutcomeCase{
            "UpdaterFailed", {MakeSimFile(L"FW5120.exe", false, true, 1603)}, false, 1, "failed", "still_outdated"},
        OutcomeCase{"NoUpdater", {MakeSimFile(L"FW5121.exe", false, true, 0)}, true, 1, "failed", "still_outdated"},
        OutcomeCase{
            "FailedStart", {MakeSimFile(L"FW5120.exe", false, false, 3010)}, true, 1, "failed", "still_outdated"}),
    [](const ::testing::TestParamInfo<OutcomeCase>& info) { return std::string(info.param.pszName); });

TEST_F(DeployTest, NothingToDoIsSuccess)
{
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_SUCCESS);
    EXPECT_EQ(Document()["outcome"], "no_target");
    g_strSimConsoleOut.clear();
    SimDriveAt('E') = MakeTargetDrive("KDR 5121ACME", "ABC-DRIVE", "1.10");
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_SUCCESS);
    nlohmann::json document = Document();
    EXPECT_EQ(document["outcome"], "current");
    EXPECT_EQ(document["drives"][0]["result"], "current");
    EXPECT_TRUE(document["drives"][0]["revision_after"].is_null()) << "a current drive is not read again";
    EXPECT_TRUE(document["updaters"].empty());
    EXPECT_TRUE(Starts().empty());
}

TEST_F(DeployTest, ARestartCountsOnlyForTheModelWhoseUpdaterAskedForIt)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = OutdatedDrive("5121");
    SimDriveAt('E').strUpdatedBy.clear();
    SimDriveAt('F').strUpdatedBy.clear();
    AddSimFile(L"FW5120.exe", false, true, 3010);
    AddSimFile(L"FW5121.exe", false, true, 0);
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_FAILED);
    nlohmann::json document = Document();
    EXPECT_EQ(document["drives"][0]["result"], "restart_required");
    EXPECT_EQ(document["drives"][1]["result"], "still_outdated");
}

TEST_F(DeployTest, JsonDocumentHasTheDocumentedFields)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = MakeTargetDrive("KDR 5121ACME", "DEF-DRIVE", "1.10  ");
    SimDriveAt('G') = OutdatedDrive("5121");
    AddSimFile(L"FW5120.exe", false, true, 0);
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_FAILED);
    nlohmann::ordered_json document = nlohmann::ordered_json::parse(NarrowSimText(g_strSimConsoleOut));
    std::vector<std::string> astrKeys;
    for (auto it = document.begin(); it != document.end(); ++it)
        astrKeys.push_back(it.key());
    EXPECT_EQ(astrKeys, (std::vector<std::string>{"tag", "newest_revision", "outcome", "exit_code", "drives",
                                                  "refused_volumes", "updaters", "record"}));
    EXPECT_EQ(document["tag"], "ACME");
    EXPECT_EQ(document["newest_revision"], "1.10");
    EXPECT_EQ(document["drives"], nlohmann::ordered_json::parse(R"([
        {"letter": "E", "entry": "E:ABC-DRIVE       1.02", "model": "5120", "revision_before": "1.02",
         "revision_after": "1.10", "result": "updated"},
        {"letter": "F", "entry": "F:DEF-DRIVE       1.10", "model": "5121", "revision_before": "1.10",
         "revision_after": null, "result": "current"},
        {"letter": "G", "entry": "G:ABC-DRIVE       1.02", "model": "5121", "revision_before": "1.02",
         "revision_after": "1.02", "result": "still_outdated"}])"));
    nlohmann::ordered_json expected = nlohmann::ordered_json::parse(R"([
        {"model": "5120", "path": "C:\\fw\\FW5120.exe", "started": true, "exit_code": 0, "state": "ended",
         "reason": null, "sha256": "", "signer": "KDR Vendor", "arguments": ""},
        {"model": "5121", "path": null, "started": false, "exit_code": null, "state": "not_found",
         "reason": null, "sha256": null, "signer": null, "arguments": ""}])");
    expected[0]["sha256"] = NarrowSimText(g_aSimFiles[0].strSha256);
    EXPECT_EQ(document["updaters"], expected);
    EXPECT_EQ(document["refused_volumes"], nlohmann::ordered_json::array());
    EXPECT_EQ(document["record"], nlohmann::ordered_json::parse(R"({"written": true, "error": null})"));
}

// Trace lines still go to the trace; after the scan's third close of E
// (identity, entry, revision) the drive is gone.
static int g_nClosesOfE;
static void RemoveEAfterTheScan(const std::string& strLine)
{
    g_astrSimTrace.push_back(strLine);
    if (strLine == "close E" && ++g_nClosesOfE == 3)
        SimDriveAt('E').bPresent = false;
}

TEST_F(DeployTest, AModelWhoseTargetsNoLongerAnswerIsListedUnstarted)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_nClosesOfE = 0;
    g_pfnSimTrace = RemoveEAfterTheScan;
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_FAILED);
    EXPECT_TRUE(Starts().empty());
    nlohmann::json document = Document();
    EXPECT_EQ(document["updaters"],
              nlohmann::json::parse(R"([{"model": "5120", "path": null, "started": false, "exit_code": null,
        "state": "not_started", "reason": "not searched for, no target of this model answered again",
        "sha256": null, "signer": null, "arguments": ""}])"));
    EXPECT_EQ(document["drives"][0]["result"], "still_outdated");
    EXPECT_EQ(document["drives"][0]["revision_after"], "");
}

TEST_F(DeployTest, PlainLinesGoToStandardOutputAndTheLogWithTimeStamps)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe", false, true, 0);
    g_aSimFiles.back().strSha256 = DriveText(64, L'e');
    g_mapSimAppendedFiles[L"C:\\l.txt"] = "earlier run\r\n";
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--log", L"C:\\l.txt"}), DEPLOY_EXIT_SUCCESS);
    const wchar_t* pszLines =
        L"E: model 5120, revision \"1.02\", outdated, entry \"E:ABC-DRIVE       1.02\"\r\n"
        L"updater 5120: starting C:\\fw\\FW5120.exe (SHA-256 "
        L"eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee, signer \"KDR Vendor\")\r\n"
        L"updater 5120: C:\\fw\\FW5120.exe ended with exit code 0\r\n"
        L"E: revision after the update \"1.10\", updated\r\n"
        L"outcome updated, exit code 0\r\n";
    EXPECT_EQ(g_strSimConsoleOut, pszLines);
    std::string strLog = "earlier run\r\n2026-01-02T03:04:05Z fwdeploy " FWLAUNCH_VERSION_TEXT
                         " started with arguments: ACME 1.10 --yes --log C:\\l.txt\r\n";
    for (const std::string& strLine :
         {std::string("E: model 5120, revision \"1.02\", outdated, entry \"E:ABC-DRIVE       1.02\""),
          "updater 5120: starting C:\\fw\\FW5120.exe (SHA-256 " + std::string(64, 'e') + ", signer \"KDR Vendor\")",
          std::string("updater 5120: C:\\fw\\FW5120.exe ended with exit code 0"),
          std::string("E: revision after the update \"1.10\", updated"), std::string("outcome updated, exit code 0")})
        strLog += "2026-01-02T03:04:05Z " + strLine + "\r\n";
    EXPECT_EQ(g_mapSimAppendedFiles[L"C:\\l.txt"], strLog);
}

// fwdeploy over the simulated drives: consent and usage, the stops before
// any drive (not elevated, another run busy), the exit status an engine acts
// on, the same commands as the launcher's run, and its three outputs.
#include <nlohmann/json.hpp>

#include <algorithm>

#include "app/entry.h"
#include "deploy/deploy_main.h"
#include "deploy/deploy_result.h"
#include "tests/native/sim_fixture.h"
#include "version.h"

class DeployTest : public SimTest {
protected:
    static int RunDeployWith(std::vector<const wchar_t*> apszArgs)
    {
        apszArgs.insert(apszArgs.begin(), L"fwdeploy.exe");
        int argc = static_cast<int>(apszArgs.size());
        apszArgs.push_back(nullptr);
        return RunDeploy(argc, apszArgs.data());
    }
    static int RunJson() { return RunDeployWith({L"ACME", L"1.10", L"--yes", L"--json"}); }
    static nlohmann::json Document() { return nlohmann::json::parse(NarrowSimText(g_strSimConsoleOut)); }
    static SimDrive OutdatedDrive(const std::string& strDigits, const std::string& strProduct = "ABC-DRIVE")
    {
        SimDrive drive = MakeTargetDrive("KDR " + strDigits + "ACME", strProduct, "1.02");
        drive.strUpdatedBy = strDigits;
        drive.strRevisionAfterUpdate = "1.10";
        return drive;
    }
    static bool AnyDriveOpened() { return !TraceLinesStartingWith("open").empty(); }
    static std::vector<std::string> Starts() { return TraceLinesStartingWith("start "); }
    static size_t TraceIndex(const std::string& strPrefix)
    {
        return std::find_if(
                   g_astrSimTrace.begin(), g_astrSimTrace.end(),
                   [&](const std::string& strLine) { return strLine.compare(0, strPrefix.size(), strPrefix) == 0; }) -
               g_astrSimTrace.begin();
    }
};

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
    EXPECT_EQ(RunDeployWith(GetParam().apszArgs), DEPLOY_EXIT_USAGE);
    EXPECT_EQ(g_strSimErrorOut,
              L"fwdeploy: " + DriveText(GetParam().pszError) +
                  L" (usage: fwdeploy TAG NEWEST_REV --yes [--json] [--report FILE] [--log FILE])\r\n");
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
        UsageCase{"UnknownOption", {L"ACME", L"1.10", L"--yes", L"--silent"}, L"unknown option --silent"},
        UsageCase{"ThirdArgument", {L"ACME", L"1.10", L"E:", L"--yes"}, L"unexpected argument E:"},
        UsageCase{"ReportLast", {L"ACME", L"1.10", L"--yes", L"--report"}, L"--report needs a file name"},
        UsageCase{"LogThenOption", {L"ACME", L"1.10", L"--log", L"--yes"}, L"--log needs a file name"},
        UsageCase{"LogEmpty", {L"ACME", L"1.10", L"--yes", L"--log", L""}, L"--log needs a file name"},
        UsageCase{"ReportTwice",
                  {L"ACME", L"1.10", L"--yes", L"--report", L"a", L"--report", L"b"},
                  L"--report given twice"}),
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
    g_bSimUpdateLockHeldElsewhere = true;
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

TEST_F(DeployTest, StartsUpdatersWithoutTheShellsBox)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    RunJson();
    EXPECT_EQ(Starts(), (std::vector<std::string>{"start C:\\fw\\FW5120.exe"}));
    EXPECT_EQ(g_nSimLastStartFlags, PACKAGE_START_NO_UI);
    EXPECT_TRUE(g_aSimBoxes.empty());
}

// The drive commands and package starts of a run, without the events that
// only one of the two programs has (boxes, its lock).
static std::vector<std::string> DriveAndPackageEvents()
{
    std::vector<std::string> astrEvents;
    for (const std::string& strLine : g_astrSimTrace) {
        if (strLine.compare(0, 4, "box ") != 0 && strLine.compare(0, 5, "lock ") != 0 && strLine != "console check")
            astrEvents.push_back(strLine);
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
        OutcomeCase{"Updated", {{L"FW5120.exe", false, true, 0}}, true, 0, "updated", "updated"},
        OutcomeCase{"UpdatedDespite3010", {{L"FW5120.exe", false, true, 3010}}, true, 0, "updated", "updated"},
        OutcomeCase{"RestartRequired",
                    {{L"FW5120.exe", false, true, 3010}},
                    false,
                    3010,
                    "restart_required",
                    "restart_required"},
        OutcomeCase{"RestartStarted",
                    {{L"FW5120.exe", false, true, 1641}},
                    false,
                    3010,
                    "restart_required",
                    "restart_required"},
        OutcomeCase{"UpdaterDidNotUpdate", {{L"FW5120.exe", false, true, 0}}, false, 1, "failed", "still_outdated"},
        OutcomeCase{"UpdaterFailed", {{L"FW5120.exe", false, true, 1603}}, false, 1, "failed", "still_outdated"},
        OutcomeCase{"NoUpdater", {{L"FW5121.exe", false, true, 0}}, true, 1, "failed", "still_outdated"},
        OutcomeCase{"FailedStart", {{L"FW5120.dat", false, false, 3010}}, true, 1, "failed", "still_outdated"}),
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
    EXPECT_EQ(astrKeys,
              (std::vector<std::string>{"tag", "newest_revision", "outcome", "exit_code", "drives", "updaters"}));
    EXPECT_EQ(document["tag"], "ACME");
    EXPECT_EQ(document["newest_revision"], "1.10");
    EXPECT_EQ(document["drives"], nlohmann::ordered_json::parse(R"([
        {"letter": "E", "entry": "E:ABC-DRIVE       1.02", "model": "5120", "revision_before": "1.02",
         "revision_after": "1.10", "result": "updated"},
        {"letter": "F", "entry": "F:DEF-DRIVE       1.10", "model": "5121", "revision_before": "1.10",
         "revision_after": null, "result": "current"},
        {"letter": "G", "entry": "G:ABC-DRIVE       1.02", "model": "5121", "revision_before": "1.02",
         "revision_after": "1.02", "result": "still_outdated"}])"));
    EXPECT_EQ(document["updaters"], nlohmann::ordered_json::parse(R"([
        {"model": "5120", "path": "C:\\fw\\FW5120.exe", "started": true, "exit_code": 0},
        {"model": "5121", "path": null, "started": false, "exit_code": null}])"));
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
              nlohmann::json::parse(R"([{"model": "5120", "path": null, "started": false, "exit_code": null}])"));
    EXPECT_EQ(document["drives"][0]["result"], "still_outdated");
    EXPECT_EQ(document["drives"][0]["revision_after"], "");
}

TEST_F(DeployTest, PlainLinesGoToStandardOutputAndTheLogWithTimeStamps)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe", false, true, 0);
    g_mapSimAppendedFiles[L"C:\\l.txt"] = "earlier run\r\n";
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--log", L"C:\\l.txt"}), DEPLOY_EXIT_SUCCESS);
    const wchar_t* pszLines = L"E: model 5120, revision \"1.02\", outdated, entry \"E:ABC-DRIVE       1.02\"\r\n"
                              L"updater 5120: starting C:\\fw\\FW5120.exe\r\n"
                              L"updater 5120: C:\\fw\\FW5120.exe ended with exit code 0\r\n"
                              L"E: revision after the update \"1.10\", updated\r\n"
                              L"outcome updated, exit code 0\r\n";
    EXPECT_EQ(g_strSimConsoleOut, pszLines);
    std::string strLog = "earlier run\r\n2026-01-02T03:04:05Z fwdeploy " FWLAUNCH_VERSION_TEXT
                         " started with arguments: ACME 1.10 --yes --log C:\\l.txt\r\n";
    for (const std::string& strLine :
         {std::string("E: model 5120, revision \"1.02\", outdated, entry \"E:ABC-DRIVE       1.02\""),
          std::string("updater 5120: starting C:\\fw\\FW5120.exe"),
          std::string("updater 5120: C:\\fw\\FW5120.exe ended with exit code 0"),
          std::string("E: revision after the update \"1.10\", updated"), std::string("outcome updated, exit code 0")})
        strLog += "2026-01-02T03:04:05Z " + strLine + "\r\n";
    EXPECT_EQ(g_mapSimAppendedFiles[L"C:\\l.txt"], strLog);
}

// What fwdeploy leaves on the machine and what it answers from it: the
// record, a restart still to come, volumes that refused to open, a lock
// that cannot be had, and a report that cannot be written.
#include "deploy/deploy_record.h"
#include "tests/native/deploy_fixture.h"
#include "version.h"

static const DriveText RECORD_KEY = L"SOFTWARE\\fwlaunch\\fwdeploy\\ACME";
static const DriveText PENDING_KEY = RECORD_KEY + L"\\RestartPending";

// A volume that exists but does not open, with the system's error.
static void PlantRefusal(char chLetter, uint32_t nError)
{
    SimDriveAt(chLetter) = MakeSimDrive();
    SimDriveAt(chLetter).bOpens = false;
    SimDriveAt(chLetter).nOpenError = nError;
}

class DeployRecordTest : public DeployTest {
protected:
    static const SimRecordValue* Value(const DriveText& strKey, const wchar_t* pszName)
    {
        auto itKey = g_mapSimRecordKeys.find(strKey);
        if (itKey == g_mapSimRecordKeys.end())
            return nullptr;
        auto it = itKey->second.mapValues.find(pszName);
        return it == itKey->second.mapValues.end() ? nullptr : &it->second;
    }
    static std::string Text(const wchar_t* pszName)
    {
        const SimRecordValue* pValue = Value(RECORD_KEY, pszName);
        return pValue == nullptr ? "(none)" : NarrowSimText(pValue->strText);
    }
    static void PlantVerified() { g_mapSimRecordKeys[RECORD_KEY].mapValues[L"VerifiedRevision"] = {false, L"1.10", 0}; }
};

TEST_F(DeployRecordTest, EveryValueIsWrittenWithTheRunsAnswer)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_SUCCESS);
    ASSERT_EQ(g_mapSimRecordKeys.count(RECORD_KEY), 1u);
    EXPECT_FALSE(g_mapSimRecordKeys[RECORD_KEY].bVolatile);
    EXPECT_EQ(Text(L"NewestRevision"), "1.10");
    EXPECT_EQ(Text(L"Outcome"), "updated");
    ASSERT_NE(Value(RECORD_KEY, L"ExitCode"), nullptr);
    EXPECT_TRUE(Value(RECORD_KEY, L"ExitCode")->bNumber);
    EXPECT_EQ(Value(RECORD_KEY, L"ExitCode")->nNumber, 0u);
    EXPECT_EQ(Text(L"Finished"), "2026-01-02T03:04:05Z");
    EXPECT_EQ(Text(L"Version"), FWLAUNCH_VERSION_TEXT);
    EXPECT_EQ(Text(L"VerifiedRevision"), "1.10");
    EXPECT_EQ(g_mapSimRecordKeys.count(PENDING_KEY), 0u);
}

// VerifiedRevision: written when every target reads NEWEST_REV, deleted by
// any other run that read the drives, kept by a run that opened none.
struct VerifiedCase {
    const char* pszName;
    void (*pfnArrange)();
    const char* pszOutcome;
    int nExitCode;
    const char* pszVerified;  // after a run that found "1.10" planted
};

static void ArrangeNothing()
{
}
static void ArrangeCurrent()
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5121ACME", "ABC-DRIVE", "1.10");
}
static void ArrangeStillOutdated()
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    AddSimFile(L"FW5120.exe");
}
static void ArrangeRestart()
{
    ArrangeStillOutdated();
    g_aSimFiles.back().nExitCode = 3010;
}
static void ArrangeRefused()
{
    ArrangeCurrent();
    PlantRefusal('H', OS_ERROR_SHARING_VIOLATION);
}
static void ArrangeBusy()
{
    ArrangeStillOutdated();
    g_nSimUpdateLock = UPDATE_LOCK_BUSY;
}
static void ArrangeBattery()
{
    ArrangeStillOutdated();
    g_bSimOnBattery = true;
}
static void ArrangeNotElevated()
{
    ArrangeStillOutdated();
    g_bSimElevated = false;
}
static void ArrangeLockFailed()
{
    ArrangeStillOutdated();
    g_nSimUpdateLock = UPDATE_LOCK_FAILED;
    g_nSimUpdateLockError = 1307;
}

class VerifiedRevisionTest : public DeployRecordTest, public ::testing::WithParamInterface<VerifiedCase> {};

TEST_P(VerifiedRevisionTest, FollowsWhatTheDrivesRead)
{
    const VerifiedCase& test = GetParam();
    PlantVerified();
    test.pfnArrange();
    EXPECT_EQ(RunJson(), test.nExitCode);
    EXPECT_EQ(Document()["outcome"], test.pszOutcome);
    EXPECT_EQ(Text(L"Outcome"), test.pszOutcome);
    EXPECT_EQ(Value(RECORD_KEY, L"ExitCode")->nNumber, static_cast<uint32_t>(test.nExitCode));
    EXPECT_EQ(Text(L"VerifiedRevision"), test.pszVerified);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, VerifiedRevisionTest,
    ::testing::Values(VerifiedCase{"NoTarget", ArrangeNothing, "no_target", 0, "1.10"},
                      VerifiedCase{"Current", ArrangeCurrent, "current", 0, "1.10"},
                      VerifiedCase{"StillOutdated", ArrangeStillOutdated, "failed", 1, "(none)"},
                      VerifiedCase{"RestartRequired", ArrangeRestart, "restart_required", 3010, "(none)"},
                      VerifiedCase{"Refused", ArrangeRefused, "incomplete", 1, "(none)"},
                      VerifiedCase{"Busy", ArrangeBusy, "busy", 1618, "1.10"},
                      VerifiedCase{"OnBattery", ArrangeBattery, "on_battery", 1618, "1.10"},
                      VerifiedCase{"NotElevated", ArrangeNotElevated, "not_elevated", 5, "1.10"},
                      VerifiedCase{"LockFailed", ArrangeLockFailed, "lock_failed", 1, "1.10"}),
    [](const ::testing::TestParamInfo<VerifiedCase>& info) { return std::string(info.param.pszName); });

TEST_F(DeployRecordTest, ARecordThatCannotBeWrittenLeavesNoSuccess)
{
    struct {
        void (*pfnArrange)();
        int nExitCode;
    } aCases[] = {
        {ArrangeCurrent, DEPLOY_EXIT_FAILED}, {ArrangeRestart, DEPLOY_EXIT_FAILED}, {ArrangeBusy, DEPLOY_EXIT_BUSY}};
    for (const auto& test : aCases) {
        ResetSimSystem();
        test.pfnArrange();
        g_nSimRecordError = OS_ERROR_ACCESS_DENIED;
        EXPECT_EQ(RunJson(), test.nExitCode);
        EXPECT_EQ(Document()["exit_code"], test.nExitCode) << "the document says what the run answers";
        EXPECT_EQ(Document()["record"], nlohmann::json::parse(R"({"written": false, "error": 5})"));
        EXPECT_NE(g_strSimErrorOut.find(L"fwdeploy: the record HKLM\\SOFTWARE\\fwlaunch\\fwdeploy\\ACME could not "
                                        L"be written (Windows error 5)"),
                  DriveText::npos)
            << NarrowSimText(g_strSimErrorOut);
    }
}

TEST_F(DeployRecordTest, ARestartStillToComeIsWaitedForWithoutOpeningADrive)
{
    ArrangeRestart();
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_RESTART_REQUIRED);
    ASSERT_EQ(g_mapSimRecordKeys.count(PENDING_KEY), 1u);
    EXPECT_TRUE(g_mapSimRecordKeys[PENDING_KEY].bVolatile);
    EXPECT_EQ(NarrowSimText(g_mapSimRecordKeys[PENDING_KEY].mapValues[L"NewestRevision"].strText), "1.10");

    // Retried before the restart: nothing opened, nothing started, 3010 again.
    g_astrSimTrace.clear();
    g_strSimConsoleOut.clear();
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_RESTART_REQUIRED);
    EXPECT_EQ(Document()["outcome"], "restart_pending");
    EXPECT_FALSE(AnyDriveOpened());
    EXPECT_TRUE(Starts().empty());
    EXPECT_TRUE(TraceLinesStartingWith("lock").empty());
    EXPECT_EQ(Text(L"Outcome"), "restart_pending");

    // Another newest revision is another update: its run goes on.
    g_astrSimTrace.clear();
    g_strSimConsoleOut.clear();
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.11", L"--yes", L"--json"}), DEPLOY_EXIT_RESTART_REQUIRED);
    EXPECT_EQ(Document()["outcome"], "restart_required");
    EXPECT_EQ(Starts().size(), 1u);

    // After the restart the drives are read again.
    RestartSimWindows();
    g_astrSimTrace.clear();
    g_strSimConsoleOut.clear();
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.10");
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_SUCCESS);
    EXPECT_EQ(Document()["outcome"], "current");
    EXPECT_TRUE(AnyDriveOpened());
    EXPECT_EQ(Text(L"VerifiedRevision"), "1.10");
}

TEST_F(DeployRecordTest, AVolumeThatRefusesLeavesTheRunIncomplete)
{
    struct {
        uint32_t nError;
        int nExitCode;
        const char* pszOutcome;
    } aCases[] = {{OS_ERROR_ACCESS_DENIED, 1, "incomplete"},
                  {OS_ERROR_SHARING_VIOLATION, 1, "incomplete"},
                  {21, 0, "updated"},     // not ready: a card reader without a card
                  {1112, 0, "updated"}};  // no medium
    for (const auto& test : aCases) {
        ResetSimSystem();
        SimDriveAt('E') = OutdatedDrive("5120");
        AddSimFile(L"FW5120.exe");
        PlantRefusal('H', test.nError);
        EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--json", L"--log", L"C:\\l.txt"}), test.nExitCode)
            << test.nError;
        nlohmann::json document = Document();
        EXPECT_EQ(document["outcome"], test.pszOutcome);
        EXPECT_EQ(document["drives"][0]["result"], "updated") << "the readable target is still updated";
        bool bRefused = test.nExitCode != 0;
        EXPECT_EQ(document["refused_volumes"].size(), bRefused ? 1u : 0u);
        if (bRefused) {
            EXPECT_EQ(document["refused_volumes"][0], (nlohmann::json{{"letter", "H"}, {"error", test.nError}}));
            EXPECT_NE(g_mapSimAppendedFiles[L"C:\\l.txt"].find("H: refused to open (Windows error " +
                                                               std::to_string(test.nError) +
                                                               "): its drive was not read"),
                      std::string::npos);
        }
    }
}

TEST_F(DeployRecordTest, ALockThatCannotBeHadIsAFailureOfItsOwn)
{
    ArrangeLockFailed();
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_FAILED);
    EXPECT_EQ(Document()["outcome"], "lock_failed");
    EXPECT_FALSE(AnyDriveOpened());
    EXPECT_EQ(g_strSimErrorOut,
              L"fwdeploy: the update run's lock cannot be had (Windows error 1307); no drive was opened\r\n");
}

TEST_F(DeployRecordTest, ALockNameHeldBySomebodyElseIsPassedOver)
{
    ArrangeStillOutdated();
    SimDriveAt('E') = OutdatedDrive("5120");
    g_nSimUpdateLock = UPDATE_LOCK_TAKEN_SQUATTED;
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes"}), DEPLOY_EXIT_SUCCESS);
    EXPECT_EQ(Starts().size(), 1u);
    EXPECT_NE(g_strSimConsoleOut.find(L"held by an object no administrator made: it was passed over"), DriveText::npos);
}

TEST_F(DeployRecordTest, NoEarlierReportOutlivesTheStartAndAFailedOneLeavesNoSuccess)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_mapSimWrittenFiles[L"C:\\r.json"] = "{\"outcome\": \"updated\"}";
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--report", L"C:\\r.json"}), DEPLOY_EXIT_SUCCESS);
    size_t nRemoved = TraceIndex("remove C:\\r.json");
    ASSERT_LT(nRemoved, g_astrSimTrace.size());
    EXPECT_LT(nRemoved, TraceIndex("open "));

    for (uint32_t nExit : {0u, 3010u}) {
        ResetSimSystem();
        SimDriveAt('E') = OutdatedDrive("5120");
        AddSimFile(L"FW5120.exe", false, true, nExit);
        if (nExit == 3010)
            SimDriveAt('E').strUpdatedBy.clear();
        // The folder turns unwritable while the updater runs.
        g_pfnSimWhileUpdaterRuns = [] { g_bSimFilesWritable = false; };
        EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--report", L"C:\\r.json"}), DEPLOY_EXIT_FAILED);
        EXPECT_EQ(g_mapSimWrittenFiles.count(L"C:\\r.json"), 0u);
        EXPECT_NE(g_strSimErrorOut.find(L"fwdeploy: cannot write the report file C:\\r.json"), DriveText::npos);
        EXPECT_EQ(Value(RECORD_KEY, L"ExitCode")->nNumber, 1u) << "the record says what the run answered";
    }
}

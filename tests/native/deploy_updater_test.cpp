// fwdeploy's updaters: which file may run (candidates, signatures, the
// SHA-256 list), its arguments, the limit on the wait, what an updater that
// started a restart stops, and battery power.
#include "tests/native/deploy_fixture.h"
#include "updater/updater_trust.h"

struct TrustCase {
    const char* pszName;
    std::vector<SimFile> aFiles;
    std::vector<const wchar_t*> apszOptions;
    const char* pszState;
    const char* pszReason;  // null: none
};

// An updater file whose hashing gives 64 'a' digits.
static SimFile File(const wchar_t* pszName, int nSignature = SIGNATURE_VALID, const wchar_t* pszSigner = L"KDR Vendor")
{
    SimFile file = MakeSimFile(pszName);
    file.nSignature = nSignature;
    file.strSigner = pszSigner;
    file.strSha256 = DriveText(64, L'a');
    return file;
}

static SimFile Locked(const wchar_t* pszName)
{
    SimFile file = File(pszName);
    file.bLocked = true;
    return file;
}

class DeployTrustTest : public DeployTest, public ::testing::WithParamInterface<TrustCase> {};

TEST_P(DeployTrustTest, StartsOnlyWhatItTrusts)
{
    const TrustCase& c = GetParam();
    SimDriveAt('E') = OutdatedDrive("5120");
    g_aSimFiles = c.aFiles;
    g_mapSimSmallFiles[L"C:\\ok.txt"] =
        "# approved\r\n\r\n" + std::string(64, 'A') + "  FW5120.exe\r\n" + std::string(64, 'b') + " *other.exe\r\n";
    g_mapSimSmallFiles[L"C:\\other.txt"] = std::string(64, 'b') + "  FW5120.exe\n";
    std::vector<const wchar_t*> apszArgs = {L"ACME", L"1.10", L"--yes", L"--json"};
    apszArgs.insert(apszArgs.end(), c.apszOptions.begin(), c.apszOptions.end());
    bool bStarts = std::string(c.pszState) == "ended";
    EXPECT_EQ(RunDeployWith(apszArgs), bStarts ? DEPLOY_EXIT_SUCCESS : DEPLOY_EXIT_FAILED);
    nlohmann::json updater = Document()["updaters"][0];
    EXPECT_EQ(updater["state"], c.pszState);
    EXPECT_EQ(updater["reason"], c.pszReason == nullptr ? nlohmann::json(nullptr) : nlohmann::json(c.pszReason));
    EXPECT_EQ(TraceLinesStartingWith("create ").size(), bStarts ? 1u : 0u);
    EXPECT_EQ(updater["sha256"], bStarts ? nlohmann::json(std::string(64, 'a')) : nlohmann::json(nullptr));
    EXPECT_EQ(Document()["drives"][0]["result"], bStarts ? "updated" : "still_outdated");
    // Whatever was held for checking is let go.
    EXPECT_EQ(TraceLinesStartingWith("hold ").size(), TraceLinesStartingWith("release ").size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeployTrustTest,
    ::testing::Values(
        TrustCase{"Signed", {File(L"FW5120.exe")}, {}, "ended", nullptr},
        TrustCase{"Unsigned", {File(L"FW5120.exe", SIGNATURE_NONE)}, {}, "refused", "unsigned"},
        TrustCase{"BadSignature",
                  {File(L"FW5120.exe", SIGNATURE_INVALID)},
                  {},
                  "refused",
                  "signature does not verify (0x80096010)"},
        TrustCase{"NamedSigner", {File(L"FW5120.exe")}, {L"--signer", L"KDR Vendor"}, "ended", nullptr},
        TrustCase{"OtherSigner",
                  {File(L"FW5120.exe", SIGNATURE_VALID, L"Someone Else")},
                  {L"--signer", L"KDR Vendor"},
                  "refused",
                  "signer differs: \"Someone Else\""},
        TrustCase{
            "UnsignedButListed", {File(L"FW5120.exe", SIGNATURE_NONE)}, {L"--sha256", L"C:\\ok.txt"}, "ended", nullptr},
        TrustCase{"SignedButNotListed",
                  {File(L"FW5120.exe")},
                  {L"--sha256", L"C:\\other.txt"},
                  "refused",
                  "SHA-256 not listed"},
        TrustCase{"TwoCandidates",
                  {File(L"FW5120.exe"), File(L"FW5120_v2.exe")},
                  {},
                  "refused",
                  "ambiguous: 2 candidates in the folder"},
        TrustCase{"CandidateForBothModels",
                  {File(L"FW5120_5121.exe")},
                  {},
                  "refused",
                  "ambiguous: a candidate for both models"},
        TrustCase{"NotAnExecutable",
                  {File(L"FW5120-notes.txt"), File(L"FW5120 Release Notes.pdf")},
                  {},
                  "refused",
                  "not an executable candidate: FW5120-notes.txt"},
        TrustCase{"HeldByAnotherProcess",
                  {Locked(L"FW5120.exe")},
                  {},
                  "refused",
                  "cannot be opened for checking (Windows error 32)"}),
    [](const ::testing::TestParamInfo<TrustCase>& info) { return std::string(info.param.pszName); });

TEST(ChecksumListTest, TakesSumLinesInEitherModeAndRefusesAnythingElse)
{
    std::vector<DriveText> astrSums;
    DriveText strError;
    std::string strHex(64, 'C');
    EXPECT_TRUE(ParseChecksumList("# c\n\n" + strHex + "  a.exe\r\n  " + std::string(64, 'd') + " *b c.exe", &astrSums,
                                  &strError));
    EXPECT_EQ(astrSums, (std::vector<DriveText>{DriveText(64, L'c'), DriveText(64, L'd')}));
    for (const std::string& strBad : {strHex.substr(1) + "  a.exe", strHex + "0  a.exe", strHex + " a.exe",
                                      strHex + "  ", std::string(63, 'c') + "g  a.exe", std::string("a.exe")}) {
        astrSums.clear();
        EXPECT_FALSE(ParseChecksumList("# c\n" + strBad + "\n", &astrSums, &strError)) << strBad;
        EXPECT_EQ(strError, L"line 2 is not \"SHA256  NAME\"");
    }
}

TEST_F(DeployTest, EachModelsUpdaterGetsItsOwnArguments)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = OutdatedDrive("5121");
    AddSimFile(L"FW5120.exe");
    AddSimFile(L"FW5121.exe");
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--json", L"--args", L"5120=/s /f \"C:\\a b\""}),
              DEPLOY_EXIT_SUCCESS);
    EXPECT_EQ(TraceLinesStartingWith("create "),
              (std::vector<std::string>{"create C:\\fw\\FW5120.exe [/s /f \"C:\\a b\"] in C:\\fw",
                                        "create C:\\fw\\FW5121.exe [] in C:\\fw"}));
    EXPECT_EQ(Document()["updaters"][0]["arguments"], "/s /f \"C:\\a b\"");
}

TEST_F(DeployTest, AnUpdaterStillRunningAtTheLimitIsLeftRunningAndStopsTheRest)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = OutdatedDrive("5121");
    AddSimFile(L"FW5120.exe");
    g_aSimFiles.back().bHangs = true;
    AddSimFile(L"FW5121.exe");
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--report", L"C:\\r.json", L"--timeout", L"7"}),
              DEPLOY_EXIT_FAILED);
    nlohmann::json document = nlohmann::json::parse(g_mapSimWrittenFiles[L"C:\\r.json"]);
    EXPECT_EQ(document["outcome"], "timed_out");
    EXPECT_EQ(document["updaters"][0]["state"], "timed_out");
    EXPECT_EQ(document["updaters"][1]["state"], "not_started");
    EXPECT_EQ(document["updaters"][1]["reason"], "an earlier updater is still running");
    EXPECT_EQ(TraceLinesStartingWith("wait "), (std::vector<std::string>{"wait at most 420000 ms"}));
    EXPECT_EQ(TraceLinesStartingWith("create ").size(), 1u);
    EXPECT_TRUE(TraceLinesStartingWith("release ").empty()) << "its file stays held while it runs";
    // The drives are still read again and the report written.
    auto itLastOpen = std::find(g_astrSimTrace.rbegin(), g_astrSimTrace.rend(), "open E ok");
    EXPECT_GT(g_astrSimTrace.rend() - itLastOpen - 1, static_cast<std::ptrdiff_t>(TraceIndex("wait at most")));
    EXPECT_NE(g_strSimConsoleOut.find(L"updater 5120: C:\\fw\\FW5120.exe timed out: still running after 7 minutes"),
              DriveText::npos);
}

TEST_F(DeployTest, TheLimitIsForAllUpdatersTogether)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = OutdatedDrive("5121");
    AddSimFile(L"FW5120.exe");
    g_aSimFiles.back().nRunMilliseconds = 4 * 60000;
    AddSimFile(L"FW5121.exe");
    g_aSimFiles.back().nRunMilliseconds = 2 * 60000;
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--json", L"--timeout", L"5"}), DEPLOY_EXIT_FAILED);
    EXPECT_EQ(TraceLinesStartingWith("wait "),
              (std::vector<std::string>{"wait at most 300000 ms", "wait at most 60000 ms"}));
    EXPECT_EQ(Document()["updaters"][1]["state"], "timed_out");
}

TEST_F(DeployTest, AfterAnUpdaterStartedARestartNothingMoreStarts)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('E').strUpdatedBy.clear();  // the new firmware shows after the restart
    SimDriveAt('F') = OutdatedDrive("5121");
    AddSimFile(L"FW5120.exe", false, true, 1641);
    AddSimFile(L"FW5121.exe");
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_FAILED) << "not every target is done";
    nlohmann::json document = Document();
    EXPECT_EQ(TraceLinesStartingWith("create ").size(), 1u);
    EXPECT_EQ(document["updaters"][1]["state"], "not_started");
    EXPECT_EQ(document["updaters"][1]["reason"], "a restart is under way");
    EXPECT_EQ(document["drives"][0]["result"], "restart_required");
    EXPECT_EQ(document["drives"][1]["result"], "still_outdated");
}

TEST_F(DeployTest, OnBatteryNoDriveIsOpenedUnlessAllowed)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_bSimOnBattery = true;
    EXPECT_EQ(RunJson(), DEPLOY_EXIT_BUSY);
    EXPECT_EQ(Document()["outcome"], "on_battery");
    EXPECT_FALSE(AnyDriveOpened());
    EXPECT_TRUE(TraceLinesStartingWith("lock").empty());
    EXPECT_EQ(g_strSimErrorOut, L"fwdeploy: this machine runs on its battery: connect it to AC power, or give "
                                L"--allow-battery; no drive was opened\r\n");
    ResetSimSystem();
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_bSimOnBattery = true;
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--allow-battery"}), DEPLOY_EXIT_SUCCESS);
    EXPECT_TRUE(TraceLinesStartingWith("power").empty()) << "not even asked";
}

TEST_F(DeployTest, ARefusalIsSaidInThePlainLinesAndTheLog)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    g_aSimFiles = {File(L"FW5120.exe", SIGNATURE_NONE)};
    EXPECT_EQ(RunDeployWith({L"ACME", L"1.10", L"--yes", L"--log", L"C:\\l.txt"}), DEPLOY_EXIT_FAILED);
    const wchar_t* pszLine = L"updater 5120: C:\\fw\\FW5120.exe refused: unsigned\r\n";
    EXPECT_NE(g_strSimConsoleOut.find(pszLine), DriveText::npos);
    EXPECT_NE(g_mapSimAppendedFiles[L"C:\\l.txt"].find(NarrowSimText(pszLine)), std::string::npos);
    EXPECT_TRUE(TraceLinesStartingWith("create ").empty());
}

// The read-only probe over the simulated drives: its command line, its
// agreement with the launcher's scan, capture and replay, and its reports.
#include <nlohmann/json.hpp>

#include "app/drive_scan.h"
#include "testing/drives/drive_set.h"
#include "probe/drive_capture.h"
#include "probe/drive_probe.h"
#include "probe/probe_main.h"
#include "probe/probe_options.h"
#include "probe/probe_report.h"
#include "tests/native/sim_fixture.h"

struct OptionsCase {
    const char* pszName;
    std::vector<const wchar_t*> apszArgs;
    bool bValid;
    bool bJson;
    const wchar_t* pszCapture;
    const wchar_t* pszError;
};

class ProbeOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(ProbeOptionsTest, ParsesOrRefuses)
{
    const OptionsCase& c = GetParam();
    std::vector<const wchar_t*> apszArgv = {L"fwprobe.exe"};
    apszArgv.insert(apszArgv.end(), c.apszArgs.begin(), c.apszArgs.end());
    ProbeOptions options;
    DriveText strError;
    ASSERT_EQ(ParseProbeOptions(static_cast<int>(apszArgv.size()), apszArgv.data(), &options, &strError), c.bValid)
        << NarrowSimText(strError);
    if (!c.bValid) {
        EXPECT_EQ(strError, c.pszError);
        return;
    }
    EXPECT_EQ(options.strTag, L"ACME");
    EXPECT_EQ(options.strNewestRevision, L"1.10");
    EXPECT_EQ(options.bJson, c.bJson);
    EXPECT_EQ(options.strCapturePath, c.pszCapture);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProbeOptionsTest,
    ::testing::Values(
        OptionsCase{"Plain", {L"ACME", L"1.10"}, true, false, L"", L""},
        OptionsCase{"JsonFirst", {L"--json", L"ACME", L"1.10"}, true, true, L"", L""},
        OptionsCase{"Between", {L"ACME", L"--capture", L"c.ini", L"1.10", L"--json"}, true, true, L"c.ini", L""},
        OptionsCase{"NoArguments", {}, false, false, L"", L"missing TAG and NEWEST_REV"},
        OptionsCase{"OneArgument", {L"ACME", L"--json"}, false, false, L"", L"missing NEWEST_REV"},
        OptionsCase{"UnknownOption", {L"ACME", L"1.10", L"--jsn"}, false, false, L"", L"unknown option --jsn"},
        OptionsCase{"CaptureLast", {L"ACME", L"1.10", L"--capture"}, false, false, L"", L"--capture needs a file name"},
        OptionsCase{"CaptureThenOption",
                    {L"ACME", L"1.10", L"--capture", L"--json"},
                    false,
                    false,
                    L"",
                    L"--capture needs a file name"},
        OptionsCase{"CaptureTwice",
                    {L"ACME", L"--capture", L"a.ini", L"1.10", L"--capture", L"b.ini"},
                    false,
                    false,
                    L"",
                    L"--capture given twice"},
        OptionsCase{
            "CaptureEmpty", {L"ACME", L"1.10", L"--capture", L""}, false, false, L"", L"--capture needs a file name"},
        OptionsCase{"ThirdArgument", {L"ACME", L"1.10", L"extra"}, false, false, L"", L"unexpected argument extra"}),
    [](const ::testing::TestParamInfo<OptionsCase>& info) { return std::string(info.param.pszName); });

class ProbeTest : public SimTest {
protected:
    void LoadDrives(const std::string& strText)
    {
        std::string strError;
        ASSERT_TRUE(ParseDriveSet(strText, g_aSimDrive, &strError)) << strError;
    }
    // The letters the probe calls outdated and those the launcher's scan lists.
    static std::string ProbedOutdated(const ProbeResult& result)
    {
        std::string strLetters;
        for (const ProbedDrive& drive : result.aDrives)
            if (drive.nVerdict == PROBE_VERDICT_OUTDATED)
                strLetters += drive.chLetter;
        return strLetters;
    }
    static std::string ScannedTargets(const DriveText& strTag, const DriveText& strNewest, int* pnFound)
    {
        TargetList list;
        ClearTargetList(&list);
        ScanDrives(strTag, strNewest, &list);
        *pnFound = list.nFound;
        return std::string(list.achTargetLetter, list.achTargetLetter + list.nTargets);
    }
    int RunProbeWith(std::vector<const wchar_t*> apszArgs)
    {
        apszArgs.insert(apszArgs.begin(), L"fwprobe.exe");
        return RunProbe(static_cast<int>(apszArgs.size()), apszArgs.data());
    }
};

// Drives that exercise each decision of the scan.
const char* const MIXED_DRIVES =
    "[C]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_product = \"ABC\"\ninquiry_revision = \"1.02\"\n"
    "[D]\nvendor_identity = \"KDR 5121ACME\"\ninquiry_product = \"DEF\"\ninquiry_revision = \"1.10\"\n"
    "[E]\nvendor_identity = \"KDR 5121OTHER\"\ninquiry_revision = \"1.02\"\n"
    "[F]\nvendor_identity = \"XYZ 9000ACME\"\ninquiry_revision = \"1.02\"\n"
    "[G]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_product = \"A\\x00C\"\ninquiry_revision = \"1.10\"\n"
    "[H]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_status = 02\ninquiry_sense_hex = 70 00 02 00 00 00 00 0A 00 00 "
    "00 00 3A 00\n"
    "[I]\nopens = denied\n"
    "[J]\nvendor_identity = \"KDR 5120ACME\"\nunit_attentions = 2\ninquiry_revision = \"1.10\"\n"
    "[K]\nvendor_identity_status = 02\nvendor_identity_sense_hex = 70 00 05 00 00 00 00 0A 00 00 00 00 24 00\n"
    "[L]\nopens = 21\n"
    "[M]\nvendor_identity = \"KDR 5121ACME\"\ninquiry_hex =\n"
    "[N]\nvendor_identity = \"KDR 5120ACME\"\npass_through = refused\n";

struct AgreementCase {
    const char* pszName;
    const wchar_t* pszTag;
    const wchar_t* pszNewest;
};

class ProbeAgreementTest : public ProbeTest, public ::testing::WithParamInterface<AgreementCase> {};

TEST_P(ProbeAgreementTest, VerdictsAreTheLaunchersTargets)
{
    LoadDrives(MIXED_DRIVES);
    ProbeResult result;
    ProbeDrives(GetParam().pszTag, GetParam().pszNewest, &result);
    int nFound = 0;
    std::string strTargets = ScannedTargets(GetParam().pszTag, GetParam().pszNewest, &nFound);
    EXPECT_EQ(ProbedOutdated(result), strTargets);
    EXPECT_EQ(result.nTargets, nFound);
    EXPECT_EQ(result.nOutdated, static_cast<int>(strTargets.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProbeAgreementTest,
    ::testing::Values(AgreementCase{"Usual", L"ACME", L"1.10"}, AgreementCase{"OtherTag", L"OTHER", L"1.02"},
                      AgreementCase{"EmptyTag", L"", L"1.10"}, AgreementCase{"EmptyRevision", L"ACME", L""},
                      AgreementCase{"ShortRevision", L"ACME", L"1."}),
    [](const ::testing::TestParamInfo<AgreementCase>& info) { return std::string(info.param.pszName); });

TEST_F(ProbeTest, ReadsEveryVolumeWithTwoCommandsAndNothingElse)
{
    LoadDrives(MIXED_DRIVES);
    ProbeResult result;
    ProbeDrives(L"ACME", L"1.10", &result);
    EXPECT_EQ(result.aDrives.size(), 12u);
    EXPECT_EQ(result.nWithoutVolume, 12);
    for (const std::string& strLine : TraceLinesStartingWith("send "))
        EXPECT_TRUE(strLine.find(" 12 00 00 00 FE ") != std::string::npos ||
                    strLine.find(" 3C 02 F1 00 00 00 00 00 30 ") != std::string::npos)
            << strLine;
    EXPECT_EQ(g_nSimMostOpenHandles, 1);
    EXPECT_EQ(g_nSimOpenHandles, 0);
    // The bus is asked once per volume that opens, within its first open.
    size_t nOpened = 0;
    for (const ProbedDrive& drive : result.aDrives)
        nOpened += drive.nOpenError == 0;
    EXPECT_EQ(nOpened, 10u);
    EXPECT_EQ(TraceLinesStartingWith("bus ").size(), nOpened);
    EXPECT_EQ(TraceLinesStartingWith("bus -").size(), 0u);
    const ProbedDrive& f = result.aDrives[3];
    EXPECT_EQ(f.chLetter, 'F');
    EXPECT_EQ(f.nModelOfPrefix, MODEL_CODE_NONE);
    EXPECT_TRUE(f.bCarriesTag);
    const ProbedDrive& e = result.aDrives[2];
    EXPECT_EQ(e.nModelOfPrefix, MODEL_CODE_5121) << "the model comes from the prefix alone";
    EXPECT_FALSE(e.bCarriesTag);
    EXPECT_EQ(result.aDrives[6].nOpenError, 5u);
}

TEST_F(ProbeTest, CaptureReplaysIntoTheSameJson)
{
    LoadDrives(MIXED_DRIVES);
    AddSimFile(L"FW5120.exe");
    ProbeResult result;
    ProbeDrives(L"ACME", L"1.10", &result);
    std::string strJson = FormatJsonReport(result);
    std::string strCapture = FormatCapture(result);

    ResetSimDrives();
    LoadDrives(strCapture);
    ProbeResult replayed;
    ProbeDrives(L"ACME", L"1.10", &replayed);
    EXPECT_EQ(FormatJsonReport(replayed), strJson);
    EXPECT_EQ(FormatCapture(replayed), strCapture);
}

TEST_F(ProbeTest, JsonCarriesTheDocumentedFields)
{
    LoadDrives(MIXED_DRIVES);
    AddSimFile(L"FW5120.exe");
    ProbeResult result;
    ProbeDrives(L"ACME", L"1.10", &result);
    nlohmann::json document = nlohmann::json::parse(FormatJsonReport(result));
    EXPECT_EQ(document["tag"], "ACME");
    EXPECT_EQ(document["newest_revision"], "1.10");
    const nlohmann::json& c = document["drives"][0];
    EXPECT_EQ(c["letter"], "C");
    EXPECT_EQ(c["open"], "ok");
    EXPECT_EQ(c["vendor_identity"], "KDR 5120ACME");
    EXPECT_EQ(c["model"], "5120");
    EXPECT_EQ(c["carries_tag"], true);
    EXPECT_EQ(c["inquiry"], (nlohmann::json{{"vendor", ""}, {"product", "ABC"}, {"revision", "1.02"}}));
    EXPECT_EQ(c["verdict"], "outdated");
    EXPECT_EQ(c["package"], "C:\\fw\\FW5120.exe");
    EXPECT_EQ(c["answers"]["inquiry"]["status"], 0);
    EXPECT_EQ(c["answers"]["vendor_identity"]["data_hex"].get<std::string>().size(), 48u * 3 - 1);
    EXPECT_EQ(document["drives"][1]["package"], nullptr) << "no 5121 package here";
    EXPECT_EQ(document["drives"][6]["open"], "access_denied");
    EXPECT_EQ(document["drives"][6]["answers"]["inquiry"], nullptr);
    EXPECT_EQ(document["drives"][8]["answers"]["vendor_identity"]["sense_hex"],
              "70 00 05 00 00 00 00 0A 00 00 00 00 24 00");
    EXPECT_EQ(document["drives"][9]["open"], "error:21");
    EXPECT_EQ(document["drives"][11]["answers"]["inquiry"]["reached_drive"], false);
    EXPECT_EQ(
        document["summary"],
        (nlohmann::json{{"targets", 6}, {"current", 2}, {"outdated", 4}, {"without_volume", 12}, {"refused", 1}}));
}

struct BusCase {
    const char* pszName;
    const char* pszDrives;
    const char* pszBusType;   // in the JSON
    const wchar_t* pszPlain;  // in the plain line
};

class ProbeBusTest : public ProbeTest, public ::testing::WithParamInterface<BusCase> {};

// What the storage driver names, in both reports and through a capture;
// the reason is given only for a drive that was not recognised.
TEST_P(ProbeBusTest, NamesTheBusAndWhyADriveOnItIsNotRecognised)
{
    const BusCase& c = GetParam();
    LoadDrives(c.pszDrives);
    EXPECT_EQ(RunProbeWith({L"ACME", L"1.10", L"--json"}), PROBE_EXIT_NONE_OUTDATED);
    nlohmann::json document = nlohmann::json::parse(NarrowSimText(g_strSimConsoleOut));
    EXPECT_EQ(document["drives"][0]["bus_type"], c.pszBusType);
    g_strSimConsoleOut.clear();
    RunProbeWith({L"ACME", L"1.10"});
    std::wstring strLine = g_strSimConsoleOut.substr(0, g_strSimConsoleOut.find(L"\r\n"));
    EXPECT_NE(strLine.find(c.pszPlain), DriveText::npos) << NarrowSimText(strLine);
    EXPECT_EQ(strLine.find(L"likely") == DriveText::npos, std::wstring(c.pszPlain).find(L"likely") == DriveText::npos)
        << NarrowSimText(strLine);

    ProbeResult result;
    ProbeDrives(L"ACME", L"1.10", &result);
    std::string strCapture = FormatCapture(result);
    EXPECT_NE(strCapture.find(std::string("bus_type = ") + c.pszBusType + "\n"), std::string::npos) << strCapture;
    ResetSimDrives();
    LoadDrives(strCapture);
    ProbeResult replayed;
    ProbeDrives(L"ACME", L"1.10", &replayed);
    EXPECT_EQ(FormatJsonReport(replayed), FormatJsonReport(result));
}

const char* const CURRENT_E = "[E]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_revision = \"1.10\"\n";
INSTANTIATE_TEST_SUITE_P(
    Table, ProbeBusTest,
    ::testing::Values(
        BusCase{"SasByDefault", CURRENT_E, "sas", L"E: opened, bus sas, identity"},
        BusCase{"NvmeUnrecognised", "[E]\ninquiry_product = \"SSD\"\nbus_type = nvme\n", "nvme",
                L"not recognised (likely because the NVMe bus passes no vendor READ BUFFER to the drive)"},
        BusCase{"RaidUnrecognised", "[E]\ninquiry_product = \"SSD\"\nbus_type = raid\n", "raid",
                L"not recognised (likely because a RAID controller answers for the drive)"},
        BusCase{"NvmeRecognised",
                "[E]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_revision = \"1.10\"\nbus_type = nvme\n", "nvme",
                L"bus nvme, identity \"KDR 5120ACME\""},
        BusCase{"SataUnrecognised", "[E]\ninquiry_product = \"SSD\"\nbus_type = sata\n", "sata", L"bus sata,"},
        BusCase{"UsbNamed", "[E]\ninquiry_product = \"SSD\"\nbus_type = usb\n", "usb", L"bus usb,"},
        BusCase{"OtherNumbered", "[E]\ninquiry_product = \"SSD\"\nbus_type = other:9\n", "other:9", L"bus other:9,"},
        BusCase{"QueryFails", "[E]\ninquiry_product = \"SSD\"\nbus_type = unknown\n", "unknown", L"bus unknown,"}),
    [](const ::testing::TestParamInfo<BusCase>& info) { return std::string(info.param.pszName); });

TEST_F(ProbeTest, SaysWhatItRunsOn)
{
    LoadDrives(CURRENT_E);
    struct {
        SystemFacts facts;
        nlohmann::json system;
    } aCases[] = {
        {{OS_ARCHITECTURE_X86, OS_ARCHITECTURE_X64, false, 10, 0, 19045},
         {{"process_architecture", "x86"},
          {"machine_architecture", "x64"},
          {"windows_pe", false},
          {"windows_version", "10.0.19045"}}},
        {{OS_ARCHITECTURE_X64, OS_ARCHITECTURE_X64, true, 10, 0, 26100},
         {{"process_architecture", "x64"},
          {"machine_architecture", "x64"},
          {"windows_pe", true},
          {"windows_version", "10.0.26100"}}},
        {{OS_ARCHITECTURE_X86, OS_ARCHITECTURE_ARM64, false, 10, 0, 22631},
         {{"process_architecture", "x86"},
          {"machine_architecture", "arm64"},
          {"windows_pe", false},
          {"windows_version", "10.0.22631"}}},
    };
    for (const auto& c : aCases) {
        g_simSystemFacts = c.facts;
        g_strSimConsoleOut.clear();
        RunProbeWith({L"ACME", L"1.10", L"--json"});
        EXPECT_EQ(nlohmann::json::parse(NarrowSimText(g_strSimConsoleOut))["system"], c.system);
    }
}

TEST_F(ProbeTest, ExitStatusTellsWhetherATargetIsOutdated)
{
    LoadDrives(MIXED_DRIVES);
    EXPECT_EQ(RunProbeWith({L"ACME", L"1.10"}), PROBE_EXIT_OUTDATED);
    EXPECT_NE(g_strSimConsoleOut.find(L"C: opened, bus sas, identity \"KDR 5120ACME\", model 5120, tag at its place, "
                                      L"INQUIRY \"\" \"ABC\" \"1.02\", outdated, no updater for it here\r\n"),
              DriveText::npos);
    EXPECT_NE(g_strSimConsoleOut.find(L"I: access denied"), DriveText::npos);
    EXPECT_NE(g_strSimConsoleOut.find(L"Letters without a volume: 12\r\nTargets: 6, current: 2, outdated: 4\r\n"),
              DriveText::npos);
    ResetSimSystem();
    LoadDrives("[E]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_revision = \"1.10\"\n");
    EXPECT_EQ(RunProbeWith({L"ACME", L"1.10", L"--json"}), PROBE_EXIT_NONE_OUTDATED);
    EXPECT_EQ(g_strSimConsoleOut[0], L'{');
}

TEST_F(ProbeTest, AVolumeThatRefusesMakesAnAnswerWithoutOutdatedTargetsIncomplete)
{
    const char* const CURRENT = "[E]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_revision = \"1.10\"\n";
    const char* const OUTDATED = "[E]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_revision = \"1.02\"\n";
    struct {
        const char* pszDrives;
        const char* pszOther;
        int nExit;
    } aCases[] = {
        {CURRENT, "[H]\nopens = denied\n", PROBE_EXIT_INCOMPLETE},
        {CURRENT, "[H]\nopens = 32\n", PROBE_EXIT_INCOMPLETE},
        {CURRENT, "[H]\nopens = 21\n", PROBE_EXIT_NONE_OUTDATED},  // not ready: an empty card reader
        {CURRENT, "[H]\nopens = no\n", PROBE_EXIT_NONE_OUTDATED},
        {OUTDATED, "[H]\nopens = denied\n", PROBE_EXIT_OUTDATED},  // what is known to be outdated stays the answer
    };
    for (const auto& test : aCases) {
        ResetSimSystem();
        LoadDrives(std::string(test.pszDrives) + test.pszOther);
        EXPECT_EQ(RunProbeWith({L"ACME", L"1.10"}), test.nExit) << test.pszOther;
        bool bRefused = std::string(test.pszOther).find("= denied") != std::string::npos ||
                        std::string(test.pszOther).find("= 32") != std::string::npos;
        EXPECT_EQ(g_strSimConsoleOut.find(L"Volumes that refused to open: 1 (what they hold is unknown: the answer is "
                                          L"incomplete)\r\n") != DriveText::npos,
                  bRefused);
    }
    EXPECT_NE(g_strSimConsoleOut.find(L"H: access denied"), DriveText::npos);
}

TEST_F(ProbeTest, WhileAnUpdateRunGoesOnNoDriveIsTouched)
{
    LoadDrives(MIXED_DRIVES);
    g_nSimUpdateLock = UPDATE_LOCK_BUSY;
    EXPECT_EQ(RunProbeWith({L"ACME", L"1.10", L"--json", L"--capture", L"C:\\c.ini"}), PROBE_EXIT_BUSY);
    EXPECT_TRUE(TraceLinesStartingWith("open").empty());
    EXPECT_TRUE(g_strSimConsoleOut.empty());
    EXPECT_TRUE(g_mapSimWrittenFiles.empty());
    EXPECT_EQ(g_strSimErrorOut,
              L"fwprobe: an update run is going on: no drive was read; run fwprobe again when it has ended\r\n");
}

TEST_F(ProbeTest, HoldsTheLockWhileItReadsAndGoesOnWhenItCannotTell)
{
    LoadDrives(MIXED_DRIVES);
    EXPECT_EQ(RunProbeWith({L"ACME", L"1.10"}), PROBE_EXIT_OUTDATED);
    ASSERT_FALSE(g_astrSimTrace.empty());
    auto itTaken = std::find(g_astrSimTrace.begin(), g_astrSimTrace.end(), "lock taken");
    auto itReleased = std::find(g_astrSimTrace.begin(), g_astrSimTrace.end(), "lock released");
    auto itLastOpen = std::find_if(g_astrSimTrace.rbegin(), g_astrSimTrace.rend(),
                                   [](const std::string& strLine) { return strLine.compare(0, 4, "open") == 0; });
    ASSERT_NE(itTaken, g_astrSimTrace.end());
    ASSERT_NE(itReleased, g_astrSimTrace.end());
    EXPECT_LT(itTaken - g_astrSimTrace.begin(), itReleased - g_astrSimTrace.begin());
    EXPECT_GT(itReleased - g_astrSimTrace.begin(), (g_astrSimTrace.rend() - itLastOpen) - 1);

    ResetSimSystem();
    LoadDrives(MIXED_DRIVES);
    g_nSimUpdateLock = UPDATE_LOCK_FAILED;
    g_nSimUpdateLockError = 1307;
    EXPECT_EQ(RunProbeWith({L"ACME", L"1.10"}), PROBE_EXIT_OUTDATED);
    EXPECT_EQ(g_strSimErrorOut, L"fwprobe: cannot tell whether an update run is going on (Windows error 1307)\r\n");
}

TEST_F(ProbeTest, UsageErrorsTouchNoDrive)
{
    LoadDrives(MIXED_DRIVES);
    std::vector<std::vector<const wchar_t*>> aaArgs = {
        {L"ACME"}, {L"ACME", L"1.10", L"--verbose"}, {L"ACME", L"1.10", L"--capture"}};
    for (const auto& apszArgs : aaArgs) {
        g_strSimErrorOut.clear();
        EXPECT_EQ(RunProbeWith(apszArgs), PROBE_EXIT_USAGE);
        EXPECT_EQ(g_strSimErrorOut.compare(0, 9, L"fwprobe: "), 0);
        EXPECT_EQ(g_strSimErrorOut.find(L"\n"), g_strSimErrorOut.size() - 1) << "one line";
    }
    g_bSimFilesWritable = false;
    EXPECT_EQ(RunProbeWith({L"ACME", L"1.10", L"--capture", L"C:\\ro\\c.ini"}), PROBE_EXIT_USAGE);
    EXPECT_NE(g_strSimErrorOut.find(L"cannot write the capture file C:\\ro\\c.ini"), DriveText::npos);
    EXPECT_EQ(g_astrSimTrace, std::vector<std::string>());
    EXPECT_EQ(g_strSimConsoleOut, L"");
}

TEST_F(ProbeTest, CaptureIsWrittenWhole)
{
    LoadDrives(MIXED_DRIVES);
    EXPECT_EQ(RunProbeWith({L"--capture", L"C:\\r\\c.ini", L"ACME", L"1.10"}), PROBE_EXIT_OUTDATED);
    ASSERT_EQ(g_mapSimWrittenFiles.count(L"C:\\r\\c.ini"), 1u);
    EXPECT_EQ(g_mapSimWrittenFiles[L"C:\\r\\c.ini"].compare(0, 1, "#"), 0);
}

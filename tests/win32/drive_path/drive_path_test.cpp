// The product's own drive path, from the transport through CreateFileW,
// the page-aligned buffer, the request block and DeviceIoControl, against
// the drive simulator beneath kernel32 (this program runs under
// drive-sim-run). Each test writes the drive set, which the simulator reads
// afresh at every open, and reads the simulator's trace.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "drive/identity.h"
#include "drive/transport.h"
#include "testing/drive_sim/sim_file.h"

class DrivePathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        strDrivesPath = ReadEnvironmentText(L"FWLAUNCH_SIM_DRIVES");
        strTracePath = ReadEnvironmentText(L"FWLAUNCH_SIM_TRACE");
        ASSERT_FALSE(strDrivesPath.empty() || strTracePath.empty()) << "run under drive-sim-run";
        ASSERT_TRUE(WriteWholeFile(strTracePath, ""));
    }
    void TearDown() override
    {
        CloseDrive();
        for (const std::string& strLine : TraceLines())
            EXPECT_NE(strLine.compare(0, 9, "violation"), 0) << strLine;
        WriteWholeFile(strDrivesPath, "");
    }
    void WriteDrives(const std::string& strText) { ASSERT_TRUE(WriteWholeFile(strDrivesPath, strText)); }
    // The trace without the request blocks' bytes, unless asked for.
    std::vector<std::string> TraceLines(bool bWithBlocks = false)
    {
        std::string strText;
        ReadWholeFile(strTracePath, &strText);
        std::vector<std::string> astrLines;
        std::istringstream stream(strText);
        for (std::string strLine; std::getline(stream, strLine);)
            if (bWithBlocks || strLine.compare(0, 6, "block ") != 0)
                astrLines.push_back(strLine);
        return astrLines;
    }
    size_t CountTrace(const std::string& strPrefix)
    {
        size_t n = 0;
        for (const std::string& strLine : TraceLines())
            n += strLine.compare(0, strPrefix.size(), strPrefix) == 0;
        return n;
    }
    DriveText strDrivesPath, strTracePath;
};

const char* const TARGET_E = "[E]\nvendor_identity = \"KDR 5120ACME\"\ninquiry_vendor = \"VENDOR\"\n"
                             "inquiry_product = \"ABC-DRIVE\"\ninquiry_revision = \"1.02\"\n";

TEST_F(DrivePathTest, AnswersComeBackIntoTheCallersBuffer)
{
    WriteDrives(TARGET_E);
    EXPECT_EQ(ReadVendorIdentity('E'), L"KDR 5120ACME");
    EXPECT_EQ(ReadInquiryIdentity('E'), L"E : VENDOR  ABC-DRIVE       1.02");
    EXPECT_FALSE(IsFirmwareOutdated(L"1.02", 'E'));
    EXPECT_EQ(TraceLines(),
              (std::vector<std::string>{
                  "open E ok", "send E 3C 02 F1 00 00 00 00 00 30 00 00 00 len 48 status 00", "close E", "open E ok",
                  "send E 12 00 00 00 FE 00 00 00 00 00 00 00 len 254 status 00", "close E", "open E ok",
                  "send E 12 00 00 00 FE 00 00 00 00 00 00 00 len 254 status 00", "close E"}));
    // Each device call's whole block comes first: 80 bytes from a 32-bit
    // process, 88 from a 64-bit one.
    const size_t cbBlock = sizeof(void*) == 8 ? 88 : 80;
    size_t nBlocks = 0;
    for (const std::string& strLine : TraceLines(true)) {
        if (strLine.compare(0, 8, "block E ") != 0)
            continue;
        ++nBlocks;
        EXPECT_EQ(strLine.size(), 8 + cbBlock * 3 - 1) << strLine;
    }
    EXPECT_EQ(nBlocks, 3u);
}

struct UnitAttention {
    const char* pszName;
    const char* pszSense;
};

class DrivePathUnitAttentionTest : public DrivePathTest, public ::testing::WithParamInterface<UnitAttention> {};

// The status and the sense must come back from the block for the transport
// to see the unit attention and send again.
TEST_P(DrivePathUnitAttentionTest, IsSentAgainAndThenAnswers)
{
    WriteDrives(std::string(TARGET_E) + "unit_attentions = 1\nunit_attention_sense = " + GetParam().pszSense + "\n");
    ASSERT_TRUE(OpenDrive('E'));
    uint8_t abBuffer[256] = {0};
    EXPECT_TRUE(SendCdb(INQUIRY_TRANSFER_LENGTH, INQUIRY_CDB, abBuffer));
    EXPECT_EQ(memcmp(abBuffer + 16, "ABC-DRIVE", 9), 0);
    EXPECT_EQ(CountTrace("send E 12 00 00 00 FE 00 00 00 00 00 00 00 len 254 status 02 sense " +
                         std::string(GetParam().pszSense)),
              1u);
    EXPECT_EQ(CountTrace("send E"), 2u);
}

INSTANTIATE_TEST_SUITE_P(Senses, DrivePathUnitAttentionTest,
                         ::testing::Values(UnitAttention{"MediumMayHaveChanged", "06 28 00"},
                                           UnitAttention{"PowerOnReset", "06 29 00"}),
                         [](const ::testing::TestParamInfo<UnitAttention>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(DrivePathTest, OtherSenseEndsTheCommandWithNoData)
{
    WriteDrives(std::string(TARGET_E) + "sense = 02 3A 00\n");
    ASSERT_TRUE(OpenDrive('E'));
    uint8_t abBuffer[256];
    memset(abBuffer, 0xA5, sizeof(abBuffer));
    EXPECT_FALSE(SendCdb(INQUIRY_TRANSFER_LENGTH, INQUIRY_CDB, abBuffer));
    EXPECT_EQ(abBuffer[16], 0xA5);
    EXPECT_EQ(CountTrace("send E"), 1u);
}

TEST_F(DrivePathTest, RefusedMissingAndMachineVolumesDoNotOpen)
{
    // Wine's own C: and Z: exist; the simulator answers for every letter.
    WriteDrives("[E]\nopens = denied\n[F]\nopens = no\n");
    for (char chLetter : {'C', 'E', 'F', 'G', 'Z'}) {
        EXPECT_FALSE(OpenDrive(chLetter)) << chLetter;
        EXPECT_EQ(g_hDrive, OS_INVALID_HANDLE);
    }
    EXPECT_EQ(TraceLines(),
              (std::vector<std::string>{"open C fail", "open E denied", "open F fail", "open G fail", "open Z fail"}));
}

TEST_F(DrivePathTest, EachOpenGetsAFreshHandleAndIsClosedOnce)
{
    WriteDrives(std::string(TARGET_E) + "[F]\nvendor_identity = \"KDR 5121ACME\"\n");
    ASSERT_TRUE(OpenDrive('E'));
    OsHandle hFirst = g_hDrive;
    ASSERT_TRUE(OpenDrive('F'));
    EXPECT_NE(g_hDrive, hFirst);
    CloseDrive();
    CloseDrive();
    EXPECT_EQ(TraceLines(), (std::vector<std::string>{"open E ok", "close E", "open F ok", "close F"}));
}

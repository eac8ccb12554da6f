#include <cstring>

#include "drive/identity.h"
#include "tests/native/sim_fixture.h"

struct SenseCase {
    uint8_t nKey, nAsc, nAscq;
    SenseClass nExpected;
};

class ClassifySenseTest : public ::testing::TestWithParam<SenseCase> {};

TEST_P(ClassifySenseTest, MapsKeyAscAscq)
{
    const SenseCase& c = GetParam();
    EXPECT_EQ(ClassifySense(c.nKey, c.nAsc, c.nAscq), c.nExpected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClassifySenseTest,
    ::testing::Values(
        SenseCase{0x00, 0x00, 0x00, SENSE_CLASS_NONE}, SenseCase{0x00, 0x00, 0x01, SENSE_CLASS_OTHER},
        SenseCase{0x02, 0x04, 0x01, SENSE_CLASS_BECOMING_READY}, SenseCase{0x02, 0x04, 0x02, SENSE_CLASS_INIT_REQUIRED},
        SenseCase{0x02, 0x04, 0x08, SENSE_CLASS_LONG_WRITE}, SenseCase{0x02, 0x04, 0x03, SENSE_CLASS_OTHER},
        SenseCase{0x02, 0x3A, 0x00, SENSE_CLASS_NO_MEDIUM}, SenseCase{0x02, 0x3A, 0x01, SENSE_CLASS_NO_MEDIUM},
        SenseCase{0x02, 0x3A, 0x02, SENSE_CLASS_NO_MEDIUM}, SenseCase{0x02, 0x3A, 0x03, SENSE_CLASS_OTHER},
        SenseCase{0x04, 0x08, 0x01, SENSE_CLASS_COMM_TIMEOUT},
        SenseCase{0x04, 0x4C, 0x00, SENSE_CLASS_SELF_CONFIG_FAILED}, SenseCase{0x04, 0x08, 0x00, SENSE_CLASS_OTHER},
        SenseCase{0x06, 0x28, 0x00, SENSE_CLASS_MEDIUM_CHANGED},
        SenseCase{0x06, 0x29, 0x00, SENSE_CLASS_POWER_ON_RESET}, SenseCase{0x06, 0x29, 0x01, SENSE_CLASS_OTHER},
        SenseCase{0x26, 0x29, 0x00, SENSE_CLASS_OTHER},  // flag bit set: not masked off
        SenseCase{0x82, 0x3A, 0x00, SENSE_CLASS_OTHER}, SenseCase{0x05, 0x20, 0x00, SENSE_CLASS_OTHER},
        SenseCase{0x03, 0x04, 0x01, SENSE_CLASS_OTHER}));

class TransportTest : public SimTest {
protected:
    // Sends INQUIRY to E and returns SendCdb's answer.
    bool SendInquiryToE(uint8_t* pbBuffer)
    {
        EXPECT_TRUE(OpenDrive('E'));
        bool bResult = SendCdb(INQUIRY_TRANSFER_LENGTH, INQUIRY_CDB, pbBuffer);
        CloseDrive();
        return bResult;
    }
    size_t SendCount() { return TraceLinesStartingWith("send ").size(); }
};

struct UnitAttention {
    const char* pszName;
    uint8_t abSense[3];
};

class TransportUnitAttentionTest : public TransportTest, public ::testing::WithParamInterface<UnitAttention> {};

// Both unit attentions are repeated alike: the command is sent again at once
// and its answer is the drive's data.
TEST_P(TransportUnitAttentionTest, OnceThenGoodIsSentTwice)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('E').nUnitAttentions = 1;
    memcpy(SimDriveAt('E').abAttentionSense, GetParam().abSense, 3);
    uint8_t abBuffer[256] = {0};
    EXPECT_TRUE(SendInquiryToE(abBuffer));
    ASSERT_EQ(SendCount(), 2u);
    EXPECT_NE(TraceLinesStartingWith("send ")[0].find(" status 02 sense " + FormatHexBytes(GetParam().abSense, 3)),
              std::string::npos);
    EXPECT_EQ(memcmp(abBuffer + 16, "ABC-DRIVE", 9), 0);
}

INSTANTIATE_TEST_SUITE_P(Senses, TransportUnitAttentionTest,
                         ::testing::Values(UnitAttention{"MediumMayHaveChanged", {0x06, 0x28, 0x00}},
                                           UnitAttention{"PowerOnReset", {0x06, 0x29, 0x00}}),
                         [](const ::testing::TestParamInfo<UnitAttention>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(TransportTest, UnitAttentionForeverEndsAfterEightSendsWithFalse)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('E').nUnitAttentions = SIM_FOREVER;
    uint8_t abBuffer[256] = {0};
    EXPECT_FALSE(SendInquiryToE(abBuffer));
    EXPECT_EQ(SendCount(), static_cast<size_t>(SEND_CDB_MAX_ATTEMPTS));
    EXPECT_EQ(SEND_CDB_MAX_ATTEMPTS, 8);
}

TEST_F(TransportTest, SevenUnitAttentionsStillSucceedOnTheEighthSend)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('E').nUnitAttentions = 7;
    uint8_t abBuffer[256] = {0};
    EXPECT_TRUE(SendInquiryToE(abBuffer));
    EXPECT_EQ(SendCount(), 8u);
}

struct FailingAnswer {
    const char* pszName;
    uint8_t nStatus;
    bool bSenseData;
    uint8_t nKey, nAsc, nAscq;
};

class TransportFailureTest : public TransportTest, public ::testing::WithParamInterface<FailingAnswer> {};

TEST_P(TransportFailureTest, EndsAfterOneSendWithFalse)
{
    const FailingAnswer& a = GetParam();
    SimDrive drive = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    drive.nStatus = a.nStatus;
    drive.bSenseData = a.bSenseData;
    drive.abSenseCode[0] = a.nKey;
    drive.abSenseCode[1] = a.nAsc;
    drive.abSenseCode[2] = a.nAscq;
    SimDriveAt('E') = drive;
    uint8_t abBuffer[256];
    memset(abBuffer, 0xA5, sizeof(abBuffer));
    EXPECT_FALSE(SendInquiryToE(abBuffer));
    EXPECT_EQ(SendCount(), 1u);
    EXPECT_EQ(abBuffer[16], 0xA5) << "a failed command carries no data";
}

INSTANTIATE_TEST_SUITE_P(Answers, TransportFailureTest,
                         ::testing::Values(FailingAnswer{"BusyWithEmptySense", 0x08, false, 0, 0, 0},
                                           FailingAnswer{"NoMedium", 0x02, true, 0x02, 0x3A, 0x00},
                                           FailingAnswer{"PowerOnWithQualifier", 0x02, true, 0x06, 0x29, 0x01},
                                           FailingAnswer{"UnitAttentionWithFlagBit", 0x02, true, 0x26, 0x29, 0x00},
                                           FailingAnswer{"InvalidOpcode", 0x02, true, 0x05, 0x20, 0x00}),
                         [](const ::testing::TestParamInfo<FailingAnswer>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(TransportTest, FailedDeviceCallIsFalseAndLeavesTheBufferAlone)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('E').bDeviceCallFails = true;
    uint8_t abBuffer[256];
    memset(abBuffer, 0x5A, sizeof(abBuffer));
    EXPECT_FALSE(SendInquiryToE(abBuffer));
    for (uint8_t b : abBuffer)
        ASSERT_EQ(b, 0x5A);
}

TEST_F(TransportTest, SendWithNoDriveOpenIsFalse)
{
    uint8_t abBuffer[256] = {0};
    EXPECT_FALSE(SendCdb(INQUIRY_TRANSFER_LENGTH, INQUIRY_CDB, abBuffer));
    ASSERT_EQ(g_astrSimTrace.size(), 1u);
    EXPECT_EQ(g_astrSimTrace[0], "send - 12 00 00 00 FE 00 00 00 00 00 00 00 len 254 failed");
}

TEST_F(TransportTest, RequestCarriesTheCommandAsTheDriveMustSeeIt)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    uint8_t abBuffer[256] = {0};
    SendInquiryToE(abBuffer);
    const ScsiRequest& r = g_lastSimRequest;
    EXPECT_EQ(r.nCdbLength, 12);
    EXPECT_EQ(r.nSenseInfoLength, 18);
    EXPECT_TRUE(r.bDataIn);
    EXPECT_EQ(r.nTransferLength, 254u);
    EXPECT_EQ(r.nTimeoutSeconds, 360u);
    EXPECT_EQ(r.pbData, abBuffer);
    EXPECT_EQ(memcmp(r.abCdb, INQUIRY_CDB, 12), 0);
    for (int i = 12; i < 16; ++i)
        EXPECT_EQ(r.abCdb[i], 0);
}

TEST_F(TransportTest, OpenDriveZeroClosesTheOpenDriveAndOpensNothing)
{
    SimDriveAt('E') = MakeSimDrive();
    ASSERT_TRUE(OpenDrive('E'));
    EXPECT_FALSE(OpenDrive(0));
    EXPECT_EQ(g_hDrive, OS_INVALID_HANDLE);
    EXPECT_EQ(g_nSimOpenHandles, 0);
    EXPECT_EQ(g_astrSimTrace, (std::vector<std::string>{"open E ok", "close E"}));
}

TEST_F(TransportTest, OpeningASecondLetterClosesTheFirstBeforehand)
{
    SimDriveAt('E') = MakeSimDrive();
    SimDriveAt('F') = MakeSimDrive();
    ASSERT_TRUE(OpenDrive('E'));
    ASSERT_TRUE(OpenDrive('F'));
    CloseDrive();
    EXPECT_EQ(g_astrSimTrace, (std::vector<std::string>{"open E ok", "close E", "open F ok", "close F"}));
    EXPECT_EQ(g_nSimMostOpenHandles, 1);
}

TEST_F(TransportTest, ADriveThatDoesNotOpenLeavesTheHandleInvalid)
{
    SimDriveAt('E') = MakeSimDrive();
    SimDriveAt('E').bOpens = false;
    EXPECT_FALSE(OpenDrive('E'));
    EXPECT_EQ(g_hDrive, OS_INVALID_HANDLE);
    EXPECT_FALSE(OpenDrive('Q')) << "no volume on Q";
    CloseDrive();
    EXPECT_EQ(TraceLinesStartingWith("close").size(), 0u);
}

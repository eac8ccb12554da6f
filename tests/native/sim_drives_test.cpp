// The simulated drives answer as a driver would, natively as under Wine:
// data cut to the transfer and allocation lengths, sense cut to the sense
// length, and handles that are never reused.
#include <cstring>

#include "drive/identity.h"
#include "tests/native/sim_fixture.h"

class SimDrivesTest : public SimTest {
protected:
    SimCompletion SendToE(const uint8_t* pbCdb, uint32_t nTransferLength, uint8_t nSenseLength, uint8_t* pbData)
    {
        EXPECT_EQ(OpenSimDrive('E' - 'A'), 0u);
        SimCommand command = {pbCdb, 12, pbData, nTransferLength, nSenseLength};
        SimCompletion completion;
        EXPECT_TRUE(AnswerSimCommand('E' - 'A', command, &completion));
        return completion;
    }
};

TEST_F(SimDrivesTest, DataIsCutToTheTransferAndAllocationLengths)
{
    SimDrive drive = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    drive.abInquiry.resize(300, 'x');
    SimDriveAt('E') = drive;
    uint8_t abCdb[12];
    memcpy(abCdb, INQUIRY_CDB, sizeof(abCdb));
    struct {
        uint8_t nAllocation;
        uint32_t nTransfer, nExpected;
    } aCases[] = {{254, 254, 254}, {36, 254, 36}, {254, 40, 40}};
    for (const auto& c : aCases) {
        abCdb[4] = c.nAllocation;
        uint8_t abBuffer[512];
        memset(abBuffer, 0xA5, sizeof(abBuffer));
        SimCompletion completion = SendToE(abCdb, c.nTransfer, 18, abBuffer);
        EXPECT_EQ(completion.cbData, c.nExpected);
        EXPECT_EQ(abBuffer[c.nExpected - 1], drive.abInquiry[c.nExpected - 1]);
        EXPECT_EQ(abBuffer[c.nExpected], 0xA5) << "nothing past " << c.nExpected;
    }
    uint8_t abBuffer[64] = {0};
    EXPECT_EQ(SendToE(VENDOR_IDENTITY_CDB, 64, 18, abBuffer).cbData, 48u) << "READ BUFFER allocation, bytes 6 to 8";
}

TEST_F(SimDrivesTest, SenseIsCutToTheCallersSenseLength)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('E').nUnitAttentions = SIM_FOREVER;
    uint8_t abBuffer[256];
    for (uint8_t nSenseLength : {18, 32, 13, 0}) {
        SimCompletion completion = SendToE(INQUIRY_CDB, 254, nSenseLength, abBuffer);
        EXPECT_EQ(completion.nStatus, 0x02);
        EXPECT_EQ(completion.cbSense, nSenseLength < 18 ? nSenseLength : 18u);
        EXPECT_EQ(completion.abSense[12], 0x29);
    }
}

TEST_F(SimDrivesTest, HandlesAreNeverReusedAndAClosedOneIsRefused)
{
    SimDriveAt('E') = MakeSimDrive();
    OsHandle hFirst = OpenVolume(L"\\\\.\\E:", nullptr);
    CloseVolume(hFirst);
    OsHandle hSecond = OpenVolume(L"\\\\.\\E:", nullptr);
    EXPECT_NE(hFirst, hSecond);
    uint8_t abBuffer[256] = {0};
    ScsiRequest request;
    memset(&request, 0, sizeof(request));
    memcpy(request.abCdb, INQUIRY_CDB, 12);
    request.nCdbLength = 12;
    request.nTransferLength = 254;
    request.pbData = abBuffer;
    EXPECT_FALSE(SendScsiRequest(hFirst, &request));
    CloseVolume(hFirst);
    CloseVolume(hSecond);
    EXPECT_EQ(TraceLinesStartingWith("violation send on a closed handle").size(), 1u);
    EXPECT_EQ(TraceLinesStartingWith("violation close of a closed handle").size(), 1u);
    EXPECT_EQ(g_nSimOpenHandles, 0);
}

TEST_F(SimDrivesTest, VolumePathsAndRefusedOpens)
{
    EXPECT_EQ(LetterIndexOfVolumePath(L"\\\\.\\E:"), 4);
    EXPECT_EQ(LetterIndexOfVolumePath(L"\\\\?\\e:"), 4);
    EXPECT_EQ(LetterIndexOfVolumePath(L"\\\\.\\E:\\"), -1);
    EXPECT_EQ(LetterIndexOfVolumePath(L"E:"), -1);
    EXPECT_EQ(LetterIndexOfVolumePath(L"\\\\.\\PhysicalDrive0"), -1);
    SimDriveAt('E') = MakeSimDrive();
    SimDriveAt('E').bOpens = false;
    SimDriveAt('E').nOpenError = OS_ERROR_ACCESS_DENIED;
    SimDriveAt('F') = MakeSimDrive();
    SimDriveAt('F').bOpens = false;
    SimDriveAt('H') = MakeSimDrive();
    SimDriveAt('H').bOpens = false;
    SimDriveAt('H').nOpenError = 21;
    EXPECT_EQ(OpenSimDrive('E' - 'A'), OS_ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenSimDrive('F' - 'A'), OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenSimDrive('G' - 'A'), OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenSimDrive('H' - 'A'), 21u);
    EXPECT_EQ(g_astrSimTrace,
              (std::vector<std::string>{"open E denied", "open F fail", "open G fail", "open H error 21"}));
}

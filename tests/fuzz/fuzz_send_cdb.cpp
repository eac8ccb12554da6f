// Sense and status sequences through SendCdb: it ends within 8 sends and is
// true exactly when a send ended with status 0.
#include <fuzzer/FuzzedDataProvider.h>

#include "drive/identity.h"
#include "drive/transport.h"
#include "testing/drives/sim_drives.h"
#include "testing/native/sim_system.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t cbData)
{
    FuzzedDataProvider provider(pbData, cbData);
    ResetSimSystem();
    SimDrive drive = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    while (provider.remaining_bytes() >= 4 && drive.aScript.size() < 16) {
        SimAnswer answer;
        // Mostly CHECK CONDITION with unit attention, to reach the retry limit.
        uint8_t nPick = provider.ConsumeIntegral<uint8_t>();
        answer.nStatus = nPick < 200 ? 0x02 : nPick < 230 ? 0x00 : static_cast<uint8_t>(nPick - 200);
        answer.abSenseCode[0] = provider.ConsumeIntegral<uint8_t>() & 0x2F;
        answer.abSenseCode[1] = provider.ConsumeBool() ? 0x29 : 0x28;
        answer.abSenseCode[2] = provider.ConsumeIntegralInRange<uint8_t>(0, 1);
        drive.aScript.push_back(answer);
    }
    drive.nStatus = 0x02;  // past the script the drive keeps refusing
    drive.bSenseData = true;
    drive.abSenseCode[0] = 0x06;
    drive.abSenseCode[1] = 0x29;
    SimDriveAt('E') = drive;

    FUZZ_CHECK(OpenDrive('E'));
    uint8_t abBuffer[256] = {0};
    bool bResult = SendCdb(INQUIRY_TRANSFER_LENGTH, INQUIRY_CDB, abBuffer);
    CloseDrive();

    size_t nSends = 0;
    bool bLastGood = false;
    for (const std::string& strLine : g_astrSimTrace) {
        if (strLine.compare(0, 5, "send ") == 0) {
            ++nSends;
            bLastGood = strLine.find(" status 00") != std::string::npos;
        }
    }
    FUZZ_CHECK(nSends >= 1 && nSends <= static_cast<size_t>(SEND_CDB_MAX_ATTEMPTS));
    FUZZ_CHECK(bResult == bLastGood);
    // A send ends the command unless it was one of the two unit attentions.
    for (size_t i = 0; i + 1 < nSends && i < drive.aScript.size(); ++i) {
        const SimAnswer& a = drive.aScript[i];
        FUZZ_CHECK(a.nStatus == 0x02 && a.abSenseCode[0] == 0x06 && a.abSenseCode[2] == 0x00);
    }
    return 0;
}

// Arbitrary vendor identity and INQUIRY answers, tag and newest revision,
// through the identity queries, ClassifyModel and IsFirmwareOutdated.
#include <fuzzer/FuzzedDataProvider.h>

#include "drive/identity.h"
#include "drive/transport.h"
#include "testing/drives/sim_drives.h"
#include "testing/native/sim_system.h"
#include "tests/fuzz/fuzz_check.h"

static DriveText WidenBytes(const std::string& str)
{
    DriveText strWide;
    for (unsigned char ch : str)
        strWide += static_cast<wchar_t>(ch);
    return strWide;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t cbData)
{
    FuzzedDataProvider provider(pbData, cbData);
    ResetSimSystem();
    SimDrive drive = MakeSimDrive();
    drive.abVendorIdentity = provider.ConsumeBytes<uint8_t>(provider.ConsumeIntegralInRange<size_t>(0, 64));
    drive.abInquiry = provider.ConsumeBytes<uint8_t>(provider.ConsumeIntegralInRange<size_t>(0, 300));
    SimDriveAt('E') = drive;
    DriveText strTag = WidenBytes(provider.ConsumeRandomLengthString(12));
    DriveText strNewest = WidenBytes(provider.ConsumeRemainingBytesAsString());

    DriveText strVendorId = ReadVendorIdentity('E');
    FUZZ_CHECK(strVendorId.size() <= 16);
    ModelCode nCode = ClassifyModel(strVendorId, strTag);
    FUZZ_CHECK(nCode == MODEL_CODE_5121 || nCode == MODEL_CODE_5120 || nCode == MODEL_CODE_NONE);
    if (nCode != MODEL_CODE_NONE) {
        const wchar_t* pszPrefix = nCode == MODEL_CODE_5120 ? L"KDR 5120" : L"KDR 5121";
        FUZZ_CHECK(strVendorId.compare(0, 8, pszPrefix) == 0);
        FUZZ_CHECK(!strTag.empty() && strVendorId.compare(8, strTag.size(), strTag) == 0);
    }

    DriveText strInquiry = ReadInquiryIdentity('E');
    FUZZ_CHECK(strInquiry.size() >= 4 && strInquiry.size() <= 41 && strInquiry.compare(0, 4, L"E : ") == 0);
    bool bCurrent = !strNewest.empty() && strInquiry.size() >= 28 + strNewest.size() &&
                    strInquiry.compare(28, strNewest.size(), strNewest) == 0;
    FUZZ_CHECK(IsFirmwareOutdated(strNewest, 'E') == !bCurrent);
    FUZZ_CHECK(g_nSimMostOpenHandles == 1 && g_nSimOpenHandles == 0 && g_hDrive == OS_INVALID_HANDLE);
    return 0;
}

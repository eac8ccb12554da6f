// Directory listings (names, directory attribute, order) through
// FindUpdaterPackage: the result is empty or the full path of the first
// non-directory entry whose file name contains the digits.
#include <fuzzer/FuzzedDataProvider.h>

#include "testing/native/sim_system.h"
#include "tests/fuzz/fuzz_check.h"
#include "updater/updater_package.h"

static DriveText PickName(FuzzedDataProvider* pProvider)
{
    static const wchar_t* const FRAGMENTS[] = {L"5120", L"5121", L"512", L"FW", L".exe", L".", L"..", L"x", L"1", L"0"};
    DriveText strName;
    int nParts = pProvider->ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < nParts; ++i)
        strName += FRAGMENTS[pProvider->ConsumeIntegralInRange<size_t>(0, 9)];
    return strName;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t cbData)
{
    FuzzedDataProvider provider(pbData, cbData);
    ResetSimSystem();
    g_strSimCurrentDirectory = provider.ConsumeBool() ? L"C:\\fw\\5120_5121\\" : L"C:\\fw";
    int nEntries = provider.ConsumeIntegralInRange<int>(0, 12);
    for (int i = 0; i < nEntries; ++i) {
        DriveText strName = PickName(&provider);
        AddSimFile(strName, provider.ConsumeBool());
    }
    ModelCode nCode = provider.ConsumeBool() ? MODEL_CODE_5120 : MODEL_CODE_5121;
    DriveText strDigits = PackageDigits(nCode);

    DriveText strExpected;
    for (const SimFile& file : g_aSimFiles) {
        if (!file.bDirectory && file.strName != L"." && file.strName != L".." &&
            file.strName.find(strDigits) != DriveText::npos) {
            DriveText strDir = g_strSimCurrentDirectory;
            strExpected = strDir + (strDir.back() == L'\\' ? L"" : L"\\") + file.strName;
            break;
        }
    }
    FUZZ_CHECK(FindUpdaterPackage(nCode) == strExpected);
    return 0;
}

// Directory listings (names, directory attribute, order) through
// FindUpdaterPackage: the result is empty or the full path of the first
// non-directory entry whose file name ends in .exe in any case and holds
// the digits with no digit right before or after them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cwctype>

#include "testing/native/sim_system.h"
#include "tests/fuzz/fuzz_check.h"
#include "updater/updater_package.h"

static DriveText PickName(FuzzedDataProvider* pProvider)
{
    static const wchar_t* const FRAGMENTS[] = {L"5120", L"5121", L"512", L"FW", L".exe",
                                               L".",    L"..",   L"x",   L"1",  L".ExE"};
    DriveText strName;
    int nParts = pProvider->ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < nParts; ++i)
        strName += FRAGMENTS[pProvider->ConsumeIntegralInRange<size_t>(0, 9)];
    return strName;
}

// The rule stated once more, by brute force over every position.
static bool IsCandidateName(const DriveText& strName, const DriveText& strDigits)
{
    DriveText strLower;
    for (wchar_t ch : strName)
        strLower += static_cast<wchar_t>(towlower(ch));
    if (strLower.size() < 5 || strLower.compare(strLower.size() - 4, 4, L".exe") != 0)
        return false;
    auto isDigit = [](wchar_t ch) { return ch >= L'0' && ch <= L'9'; };
    for (size_t i = 0; i + strDigits.size() <= strName.size(); ++i) {
        if (strName.compare(i, strDigits.size(), strDigits) == 0 && (i == 0 || !isDigit(strName[i - 1])) &&
            (i + strDigits.size() == strName.size() || !isDigit(strName[i + strDigits.size()])))
            return true;
    }
    return false;
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
        if (!file.bDirectory && IsCandidateName(file.strName, strDigits)) {
            DriveText strDir = g_strSimCurrentDirectory;
            strExpected = strDir + (strDir.back() == L'\\' ? L"" : L"\\") + file.strName;
            break;
        }
    }
    FUZZ_CHECK(FindUpdaterPackage(nCode) == strExpected);
    return 0;
}

// The whole run with simulated drives, packages and box answers drawn by the
// fuzzer, checked against what makes the launcher safe.
#include <fuzzer/FuzzedDataProvider.h>

#include <cwchar>
#include <set>

#include "app/entry.h"
#include "drive/transport.h"
#include "platform/platform.h"
#include "testing/drives/sim_drives.h"
#include "probe/drive_probe.h"
#include "testing/native/sim_system.h"
#include "tests/fuzz/fuzz_check.h"

static const char* const PREFIXES[] = {"KDR 5120", "KDR 5121", "KDR 5320", "XYZ 9000"};
static const char* const DIGITS[] = {"5120", "5121", ""};

static bool g_abRemove[SIM_LETTERS];

static void RemoveDrivesWhileBoxIsOpen(const SimBox& box)
{
    if (box.nKind != BOX_KIND_OK_CANCEL)
        return;
    for (int i = 0; i < SIM_LETTERS; ++i)
        if (g_abRemove[i])
            g_aSimDrive[i].bPresent = false;
}

// Whether a query of the drive gets its answer: it opens, and fewer unit
// attentions than the transport's limit come first.
static bool Answers(const SimDrive& d)
{
    return d.bPresent && d.bOpens && d.nUnitAttentions >= 0 && d.nUnitAttentions < SEND_CDB_MAX_ATTEMPTS;
}

static std::string Field(const SimDrive& d, size_t nOffset, size_t cb)
{
    return std::string(d.abInquiry.begin() + nOffset, d.abInquiry.begin() + nOffset + cb);
}

static int ModelOf(const SimDrive& d)  // 0, 2 or 4, with the tag "ACME"
{
    if (!Answers(d))
        return 4;
    std::string strId(d.abVendorIdentity.begin() + 16, d.abVendorIdentity.begin() + 32);
    strId = strId.c_str();
    if (strId.compare(8, 4, "ACME") != 0)
        return 4;
    if (strId.compare(0, 8, "KDR 5120") == 0)
        return 2;
    return strId.compare(0, 8, "KDR 5121") == 0 ? 0 : 4;
}

static bool IsCurrent(const SimDrive& d)
{
    return Answers(d) && Field(d, 32, 4) == "1.10";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t cbData)
{
    FuzzedDataProvider provider(pbData, cbData);
    CloseDrive();
    ResetSimSystem();
    for (int i = 0; i < SIM_LETTERS; ++i) {
        g_abRemove[i] = false;
        if (i < 2 || !provider.ConsumeBool())
            continue;
        std::string strVendorId = PREFIXES[provider.ConsumeIntegralInRange<int>(0, 3)];
        strVendorId += provider.ConsumeBool() ? "ACME" : "OTHR";
        SimDrive drive = MakeTargetDrive(strVendorId, "ABC-DRIVE", provider.ConsumeBool() ? "1.10" : "1.02");
        drive.strUpdatedBy = DIGITS[provider.ConsumeIntegralInRange<int>(0, 2)];
        drive.strRevisionAfterUpdate = provider.ConsumeBool() ? "1.10" : "1.03";
        drive.bOpens = provider.ConsumeIntegralInRange<int>(0, 9) > 0;
        int nAttention = provider.ConsumeIntegralInRange<int>(0, 12);
        drive.nUnitAttentions = nAttention > 9 ? SIM_FOREVER : nAttention;
        g_aSimDrive[i] = drive;
        g_abRemove[i] = provider.ConsumeIntegralInRange<int>(0, 7) == 0;
    }
    const wchar_t* const NAMES[] = {L"FW5120.exe", L"FW5121.exe", L"FW5120.dat", L"old5121", L"notes.txt"};
    for (const wchar_t* pszName : NAMES) {
        if (provider.ConsumeBool())
            AddSimFile(pszName, pszName[0] == L'o', wcsstr(pszName, L".exe") != nullptr && provider.ConsumeBool());
    }
    const int ANSWERS[] = {BOX_RESULT_OK, BOX_RESULT_CANCEL, BOX_RESULT_FAILED};
    int nConfirmAnswer = ANSWERS[provider.ConsumeIntegralInRange<int>(0, 2)];
    g_anSimBoxAnswers.push_back(nConfirmAnswer);
    g_pfnSimWhileBoxOpen = RemoveDrivesWhileBoxIsOpen;

    // What the scan must find, from the drives as they are at the start.
    std::vector<char> achTargets;
    int nFound = 0;
    for (int i = 2; i < SIM_LETTERS; ++i) {
        if (ModelOf(g_aSimDrive[i]) == 4)
            continue;
        ++nFound;
        if (!IsCurrent(g_aSimDrive[i]))
            achTargets.push_back(static_cast<char>('A' + i));
    }

    // The probe, reading the same drives, calls exactly these outdated.
    ProbeResult probe;
    ProbeDrives(L"ACME", L"1.10", &probe);
    std::vector<char> achProbedOutdated;
    for (const ProbedDrive& drive : probe.aDrives)
        if (drive.nVerdict == PROBE_VERDICT_OUTDATED)
            achProbedOutdated.push_back(drive.chLetter);
    FUZZ_CHECK(achProbedOutdated == achTargets && probe.nTargets == nFound);
    g_astrSimTrace.clear();

    const wchar_t* apszArgs[] = {L"fwlaunch.exe", L"ACME", L"1.10", nullptr};
    int nStatus = RunLauncher(3, apszArgs);

    FUZZ_CHECK(nStatus == 0 || nStatus == 1);
    std::vector<std::string> astrStarts;
    for (const std::string& strLine : g_astrSimTrace)
        if (strLine.compare(0, 6, "start ") == 0)
            astrStarts.push_back(strLine.substr(6));

    if (nFound == 0 || achTargets.empty()) {
        FUZZ_CHECK(g_aSimBoxes.size() == 1 && g_aSimBoxes[0].nKind == BOX_KIND_OK);
        FUZZ_CHECK(astrStarts.empty() && nStatus == 0);
        return 0;
    }
    FUZZ_CHECK(g_aSimBoxes[0].nKind == BOX_KIND_OK_CANCEL);
    if (nConfirmAnswer != BOX_RESULT_OK) {
        // No consent: nothing started, no second box, and a failed box is status 1.
        FUZZ_CHECK(astrStarts.empty() && g_aSimBoxes.size() == 1);
        FUZZ_CHECK(nStatus == (nConfirmAnswer == BOX_RESULT_FAILED ? 1 : 0));
        return 0;
    }

    // Packages: at most one per model, only for a model that a target still
    // answers as, and only files that exist under that model's digits.
    std::set<std::string> setStarted;
    for (const std::string& strPath : astrStarts) {
        FUZZ_CHECK(setStarted.insert(strPath).second);
        bool bIs5120 = strPath.find("5120") != std::string::npos;
        FUZZ_CHECK(bIs5120 != (strPath.find("5121") != std::string::npos));
        bool bFileExists = false;
        for (const SimFile& file : g_aSimFiles)
            bFileExists = bFileExists || (!file.bDirectory && "C:\\fw\\" + NarrowSimText(file.strName) == strPath);
        FUZZ_CHECK(bFileExists);
        bool bTargetOfModel = false;
        for (char ch : achTargets)
            bTargetOfModel = bTargetOfModel || ModelOf(SimDriveAt(ch)) == (bIs5120 ? 2 : 0);
        FUZZ_CHECK(bTargetOfModel);
    }
    FUZZ_CHECK(astrStarts.size() <= 2);

    // The report lists exactly the targets still outdated, or all of them.
    FUZZ_CHECK(g_aSimBoxes.size() == 2 && g_aSimBoxes[1].nKind == BOX_KIND_OK);
    std::string strFailed, strAll;
    for (char ch : achTargets) {
        strAll += std::string("\n\r") + ch + ":ABC-DRIVE       1.02";
        if (!IsCurrent(SimDriveAt(ch)))
            strFailed += std::string("\n\r") + ch + ":ABC-DRIVE       1.02";
    }
    std::string strReport = NarrowSimText(g_aSimBoxes[1].strText);
    if (strFailed.empty())
        FUZZ_CHECK(strReport == "Update operation is completed.\r\n---------- updated drive list ----------" + strAll);
    else
        FUZZ_CHECK(strReport == "The following drive failed to update." + strFailed);
    return 0;
}

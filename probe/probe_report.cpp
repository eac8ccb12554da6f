#include "probe/probe_report.h"

#include <nlohmann/json.hpp>

#include "probe/bus_type.h"
#include "updater/updater_package.h"

using OrderedJson = nlohmann::ordered_json;

static DriveText ModelText(ModelCode nModel)
{
    return nModel == MODEL_CODE_NONE ? DriveText(L"none") : PackageDigits(nModel);
}

static std::string VerdictName(int nVerdict)
{
    return nVerdict == PROBE_VERDICT_OUTDATED  ? "outdated"
           : nVerdict == PROBE_VERDICT_CURRENT ? "current"
                                               : "not_target";
}

static std::string OpenName(uint32_t nOpenError)
{
    if (nOpenError == 0)
        return "ok";
    return nOpenError == OS_ERROR_ACCESS_DENIED ? "access_denied" : "error:" + Utf8FromText(DecimalText(nOpenError));
}

static OrderedJson CommandJson(const ProbedCommand& command)
{
    if (!command.bSent)
        return nullptr;
    OrderedJson answer;
    answer["reached_drive"] = command.outcome.bReachedDrive;
    answer["status"] = command.outcome.nScsiStatus;
    answer["data_hex"] = FormatHexBytes(command.abData.data(), command.abData.size());
    answer["sense_hex"] = FormatHexBytes(command.outcome.abSense, command.outcome.cbSense);
    return answer;
}

static std::string ArchitectureName(int nArchitecture)
{
    return nArchitecture == OS_ARCHITECTURE_X86     ? "x86"
           : nArchitecture == OS_ARCHITECTURE_X64   ? "x64"
           : nArchitecture == OS_ARCHITECTURE_ARM64 ? "arm64"
                                                    : "other";
}

static OrderedJson SystemJson(const SystemFacts& system)
{
    return {{"process_architecture", ArchitectureName(system.nProcessArchitecture)},
            {"machine_architecture", ArchitectureName(system.nMachineArchitecture)},
            {"windows_pe", system.bWindowsPe},
            {"windows_version", std::to_string(system.nMajorVersion) + "." + std::to_string(system.nMinorVersion) +
                                    "." + std::to_string(system.nBuildNumber)}};
}

std::string FormatJsonReport(const ProbeResult& result)
{
    OrderedJson document;
    document["tag"] = Utf8FromText(result.strTag);
    document["newest_revision"] = Utf8FromText(result.strNewestRevision);
    document["system"] = SystemJson(result.system);
    document["drives"] = OrderedJson::array();
    for (const ProbedDrive& drive : result.aDrives) {
        OrderedJson item;
        item["letter"] = std::string(1, drive.chLetter);
        item["open"] = OpenName(drive.nOpenError);
        if (drive.nOpenError == 0)
            item["bus_type"] = BusTypeName(drive.bBusTypeKnown, drive.nBusType);
        item["vendor_identity"] = Utf8FromText(drive.strVendorIdentity);
        item["model"] = Utf8FromText(ModelText(drive.nModelOfPrefix));
        item["carries_tag"] = drive.bCarriesTag;
        item["inquiry"] = {{"vendor", Utf8FromText(drive.strInquiryVendor)},
                           {"product", Utf8FromText(drive.strInquiryProduct)},
                           {"revision", Utf8FromText(drive.strInquiryRevision)}};
        item["verdict"] = VerdictName(drive.nVerdict);
        item["package"] = drive.strPackage.empty() ? OrderedJson(nullptr) : OrderedJson(Utf8FromText(drive.strPackage));
        item["answers"] = {{"vendor_identity", CommandJson(drive.vendorIdentity)},
                           {"inquiry", CommandJson(drive.inquiry)}};
        document["drives"].push_back(item);
    }
    document["summary"] = {{"targets", result.nTargets},
                           {"current", result.nCurrent},
                           {"outdated", result.nOutdated},
                           {"without_volume", result.nWithoutVolume},
                           {"refused", result.nRefused}};
    return document.dump(2) + "\n";
}

static DriveText NumberText(uint32_t n)
{
    return DecimalText(n);
}

static DriveText PlainLine(const ProbedDrive& drive)
{
    DriveText strLine(1, static_cast<wchar_t>(drive.chLetter));
    strLine += L": ";
    if (drive.nOpenError == OS_ERROR_ACCESS_DENIED)
        return strLine + L"access denied (start fwprobe as administrator to read this drive)";
    if (drive.nOpenError == OS_ERROR_SHARING_VIOLATION)
        return strLine + L"held by another program (Windows error " + NumberText(drive.nOpenError) + L")";
    if (drive.nOpenError != 0)
        return strLine + L"does not open (Windows error " + NumberText(drive.nOpenError) + L")";
    std::string strBus = BusTypeName(drive.bBusTypeKnown, drive.nBusType);
    strLine += L"opened, bus " + DriveText(strBus.begin(), strBus.end());
    strLine += L", identity \"" + drive.strVendorIdentity + L"\", model " + ModelText(drive.nModelOfPrefix);
    strLine += drive.bCarriesTag ? L", tag at its place" : L", tag not at its place";
    strLine += L", INQUIRY \"" + drive.strInquiryVendor + L"\" \"" + drive.strInquiryProduct + L"\" \"" +
               drive.strInquiryRevision + L"\"";
    DriveText strReason = UnrecognisedOnBusReason(drive.bBusTypeKnown, drive.nBusType);
    if (drive.nModelOfPrefix == MODEL_CODE_NONE && !strReason.empty())
        strLine += L", not recognised (likely because " + strReason + L")";
    if (drive.nVerdict == PROBE_VERDICT_NOT_TARGET)
        return strLine + L", not a target";
    strLine += drive.nVerdict == PROBE_VERDICT_OUTDATED ? L", outdated" : L", current";
    return strLine +
           (drive.strPackage.empty() ? DriveText(L", no updater for it here") : L", updater " + drive.strPackage);
}

DriveText FormatPlainReport(const ProbeResult& result)
{
    DriveText strReport;
    for (const ProbedDrive& drive : result.aDrives)
        strReport += PlainLine(drive) + L"\r\n";
    strReport += L"Letters without a volume: " + NumberText(result.nWithoutVolume) + L"\r\n";
    strReport += L"Targets: " + NumberText(result.nTargets) + L", current: " + NumberText(result.nCurrent) +
                 L", outdated: " + NumberText(result.nOutdated) + L"\r\n";
    if (result.nRefused > 0)
        strReport += L"Volumes that refused to open: " + NumberText(result.nRefused) +
                     L" (what they hold is unknown: the answer is incomplete)\r\n";
    return strReport;
}

#pragma once
// A read-only look at the drives C to Z: what the launcher's scan reads,
// through the same queries and decisions, plus one INQUIRY to every volume
// that opens, so that every drive is named, and its storage driver's bus
// type (a query that reaches no drive). No other command is sent.
#include <cstdint>
#include <vector>

#include "drive/identity.h"
#include "drive/transport.h"
#include "platform/drive_text.h"

const int PROBE_VERDICT_NOT_TARGET = 0;
const int PROBE_VERDICT_CURRENT = 1;
const int PROBE_VERDICT_OUTDATED = 2;

// One command and what came back.
struct ProbedCommand {
    bool bSent;
    CdbOutcome outcome;
    std::vector<uint8_t> abData;  // the data bytes the drive returned
};

struct ProbedDrive {
    char chLetter;
    uint32_t nOpenError;  // 0: the volume opened
    bool bBusTypeKnown;   // false when the bus type query failed
    uint32_t nBusType;
    ProbedCommand vendorIdentity;
    ProbedCommand inquiry;
    DriveText strVendorIdentity;
    ModelCode nModelOfPrefix;
    bool bCarriesTag;
    DriveText strInquiryVendor, strInquiryProduct, strInquiryRevision;
    int nVerdict;
    DriveText strPackage;  // for a target: the updater the launcher would run, or empty
};

struct ProbeResult {
    SystemFacts system;
    DriveText strTag;
    DriveText strNewestRevision;
    std::vector<ProbedDrive> aDrives;  // the letters that have a volume, in order
    int nWithoutVolume;
    int nRefused;  // volumes that exist but refused to open
    int nTargets, nCurrent, nOutdated;
};

bool HasVolume(uint32_t nOpenError);
void ProbeDrives(const DriveText& strTag, const DriveText& strNewestRevision, ProbeResult* pResult);

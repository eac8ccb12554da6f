#pragma once
// Sorts the drives on C to Z into not of interest, current, and targets.
#include <cstdint>

#include "drive/identity.h"
#include "platform/drive_text.h"

// Only 24 letters are scanned, so the slots always suffice.
const int TARGET_SLOTS = 27;

struct TargetList {
    char achTargetLetter[TARGET_SLOTS];
    DriveText astrTargetEntry[TARGET_SLOTS];
    uint8_t nTargets;
    uint8_t nFound;
};

// A recognised drive as the scan saw it, for programs that report on every
// drive and not only on the targets.
struct RecognisedDrive {
    char chLetter;
    DriveText strEntry;
    ModelCode nModel;
    DriveText strRevision;  // the INQUIRY revision field, trailing blanks removed
    bool bOutdated;
};

// A volume that exists but refused to open: what it holds is unknown.
struct RefusedVolume {
    char chLetter;
    uint32_t nError;  // the system's error number
};

struct RecognisedList {
    int nDrives;
    RecognisedDrive aDrives[TARGET_SLOTS];  // in letter order
    int nRefused;
    RefusedVolume aRefused[TARGET_SLOTS];  // in letter order
};

void ClearTargetList(TargetList* pList);
// The entry of a target: letter, colon, then INQUIRY product and revision.
DriveText ReadTargetEntry(char chLetter);
// With pRecognised, every recognised drive, and every volume that refused
// to open, is also recorded there; the drives are asked the same commands
// either way.
void ScanDrives(const DriveText& strTag, const DriveText& strNewestRev, TargetList* pList,
                RecognisedList* pRecognised = nullptr);

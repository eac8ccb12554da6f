#pragma once
// Sorts the drives on C to Z into not of interest, current, and targets.
#include <cstdint>

#include "platform/drive_text.h"

// Only 24 letters are scanned, so the slots always suffice.
const int TARGET_SLOTS = 27;

struct TargetList {
    char achTargetLetter[TARGET_SLOTS];
    DriveText astrTargetEntry[TARGET_SLOTS];
    uint8_t nTargets;
    uint8_t nFound;
};

void ClearTargetList(TargetList* pList);
// The entry of a target: letter, colon, then INQUIRY product and revision.
DriveText ReadTargetEntry(char chLetter);
void ScanDrives(const DriveText& strTag, const DriveText& strNewestRev, TargetList* pList);

#pragma once
// After the scan: the outcome, the confirmation, one package run per model,
// the verification and the final report.
#include "app/drive_scan.h"
#include "platform/drive_text.h"

// Between two list entries of a box text.
extern const wchar_t LIST_SEPARATOR[];

// The confirmation text: message 105 with the count, then every target.
DriveText ComposeConfirmation(const TargetList& list);
// Sets *pnRetCode to 1 when a package failed to start, or when the
// confirmation box was closed by anything but OK or Cancel.
void RunUpdateSequence(const DriveText& strTag, const DriveText& strNewestRev, const TargetList& list, int* pnRetCode);

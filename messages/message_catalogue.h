#pragma once
// The result texts, keyed by number, in the executable's string table, and
// the two kinds of message box that show them.
#include <cstdint>

#include "platform/platform.h"

const uint32_t MSG_TARGETS_FOUND = 105;  // count format, then the target list
const uint32_t MSG_ALREADY_LATEST = 106;
const uint32_t MSG_NO_TARGET = 107;
const uint32_t MSG_UPDATE_FAILED = 108;     // followed by the failed drives
const uint32_t MSG_UPDATE_COMPLETED = 109;  // followed by the updated drives

// Where the catalogue comes from, and the caption of every box.
void SetMessageSource(OsModule hModule, const DriveText& strApplicationName);
// The executable's file name without directory and extension.
DriveText ApplicationNameFromPath(const DriveText& strModulePath);
// Replaces strText with entry nId; leaves it as it was when the entry is
// missing or empty.
bool LoadMessage(uint32_t nId, DriveText& strText);
int ShowMessage(const DriveText& strText, uint32_t nKind);

#pragma once
// The probe's command line: TAG NEWEST_REV [--json] [--capture FILE], the
// options in any order after or between the two arguments.
#include "platform/drive_text.h"

struct ProbeOptions {
    DriveText strTag;
    DriveText strNewestRevision;
    bool bJson;
    DriveText strCapturePath;  // empty: no capture
};

// False with *pstrError, one line, for a usage error.
bool ParseProbeOptions(int argc, const wchar_t* const* argv, ProbeOptions* pOptions, DriveText* pstrError);

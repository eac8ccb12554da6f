#pragma once
// The probe's two reports: plain lines for a person, one JSON document in
// UTF-8 for management tools.
#include <string>

#include "platform/drive_text.h"
#include "probe/drive_probe.h"

DriveText FormatPlainReport(const ProbeResult& result);
std::string FormatJsonReport(const ProbeResult& result);

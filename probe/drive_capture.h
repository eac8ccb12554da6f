#pragma once
// A capture of what the drives answered, as a drive-set file that the
// test's simulated drives replay: each volume's exact answers, the sense
// bytes of a failed command, a volume that does not open or refuses access,
// and the bus its storage driver names.
// A field report thereby becomes a test case.
#include <string>

#include "probe/drive_probe.h"

std::string FormatCapture(const ProbeResult& result);

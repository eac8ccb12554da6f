#pragma once
// The volume functions of the platform seam over the simulated drives, for
// the native tests and fuzz targets.
#include "platform/platform.h"
#include "testing/drives/sim_drives.h"

extern ScsiRequest g_lastSimRequest;  // the last request a drive received

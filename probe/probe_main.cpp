#include "probe/probe_main.h"

#include "platform/platform.h"
#include "platform/update_lock_rule.h"
#include "probe/drive_capture.h"
#include "probe/drive_probe.h"
#include "probe/probe_options.h"
#include "probe/probe_report.h"

static int StopWithUsageError(const DriveText& strWhat)
{
    WriteErrorWide(L"fwprobe: " + strWhat + L" (usage: fwprobe TAG NEWEST_REV [--json] [--capture FILE])\r\n");
    return PROBE_EXIT_USAGE;
}

int RunProbe(int argc, const wchar_t* const* argv)
{
    ProbeOptions options;
    DriveText strError;
    if (!ParseProbeOptions(argc, argv, &options, &strError))
        return StopWithUsageError(strError);
    // Checked before any drive is touched.
    if (!options.strCapturePath.empty() && !CanWriteWholeFile(options.strCapturePath))
        return StopWithUsageError(L"cannot write the capture file " + options.strCapturePath);

    // The lock is held while the drives are read, so that no updater starts
    // in between; while an updater writes firmware, no drive is asked anything.
    OsHandle hLock = OS_INVALID_HANDLE;
    uint32_t nLockError = 0;
    int nLock = TakeUpdateLock(&hLock, &nLockError);
    if (nLock == UPDATE_LOCK_BUSY) {
        WriteErrorWide(L"fwprobe: an update run is going on: no drive was read; run fwprobe again when it has "
                       L"ended\r\n");
        return PROBE_EXIT_BUSY;
    }
    if (nLock == UPDATE_LOCK_FAILED)
        WriteErrorWide(L"fwprobe: cannot tell whether an update run is going on (Windows error " +
                       DecimalText(nLockError) + L")\r\n");
    ProbeResult result;
    ProbeDrives(options.strTag, options.strNewestRevision, &result);
    ReleaseUpdateLock(hLock);
    ReadSystemFacts(&result.system);
    if (!options.strCapturePath.empty() && !ReplaceFileWhole(options.strCapturePath, FormatCapture(result)))
        return StopWithUsageError(L"cannot write the capture file " + options.strCapturePath);
    if (options.bJson)
        WriteConsoleNarrow(FormatJsonReport(result).c_str());
    else
        WriteConsoleWide(FormatPlainReport(result));
    if (result.nOutdated > 0)
        return PROBE_EXIT_OUTDATED;
    return result.nRefused > 0 ? PROBE_EXIT_INCOMPLETE : PROBE_EXIT_NONE_OUTDATED;
}

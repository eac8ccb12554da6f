#include "probe/probe_main.h"

#include "platform/platform.h"
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

    ProbeResult result;
    ProbeDrives(options.strTag, options.strNewestRevision, &result);
    if (!options.strCapturePath.empty() && !ReplaceFileWhole(options.strCapturePath, FormatCapture(result)))
        return StopWithUsageError(L"cannot write the capture file " + options.strCapturePath);
    if (options.bJson)
        WriteConsoleNarrow(FormatJsonReport(result).c_str());
    else
        WriteConsoleWide(FormatPlainReport(result));
    return result.nOutdated > 0 ? PROBE_EXIT_OUTDATED : PROBE_EXIT_NONE_OUTDATED;
}

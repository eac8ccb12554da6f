#include "probe/probe_options.h"

#include "app/command_options.h"

bool ParseProbeOptions(int argc, const wchar_t* const* argv, ProbeOptions* pOptions, DriveText* pstrError)
{
    *pOptions = ProbeOptions();
    pOptions->bJson = false;
    int nPositional = 0;
    for (int i = 1; i < argc; ++i) {
        DriveText strArg = argv[i] == nullptr ? DriveText() : DriveText(argv[i]);
        if (strArg == L"--json") {
            pOptions->bJson = true;
        } else if (strArg == L"--capture") {
            if (!TakeFileArgument(argc, argv, &i, &pOptions->strCapturePath, pstrError))
                return false;
        } else if (!TakeOtherArgument(strArg, &nPositional, &pOptions->strTag, &pOptions->strNewestRevision,
                                      pstrError)) {
            return false;
        }
    }
    return HasBothArguments(nPositional, pstrError);
}

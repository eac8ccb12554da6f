#include "deploy/deploy_options.h"

#include "app/command_options.h"

bool ParseDeployOptions(int argc, const wchar_t* const* argv, DeployOptions* pOptions, DriveText* pstrError)
{
    *pOptions = DeployOptions();
    pOptions->bYes = false;
    pOptions->bJson = false;
    int nPositional = 0;
    for (int i = 1; i < argc; ++i) {
        DriveText strArg = argv[i] == nullptr ? DriveText() : DriveText(argv[i]);
        if (strArg == L"--yes") {
            pOptions->bYes = true;
        } else if (strArg == L"--json") {
            pOptions->bJson = true;
        } else if (strArg == L"--report") {
            if (!TakeFileArgument(argc, argv, &i, &pOptions->strReportPath, pstrError))
                return false;
        } else if (strArg == L"--log") {
            if (!TakeFileArgument(argc, argv, &i, &pOptions->strLogPath, pstrError))
                return false;
        } else if (!TakeOtherArgument(strArg, &nPositional, &pOptions->strTag, &pOptions->strNewestRevision,
                                      pstrError)) {
            return false;
        }
    }
    return HasBothArguments(nPositional, pstrError);
}

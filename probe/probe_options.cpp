#include "probe/probe_options.h"

bool ParseProbeOptions(int argc, const wchar_t* const* argv, ProbeOptions* pOptions, DriveText* pstrError)
{
    *pOptions = ProbeOptions();
    pOptions->bJson = false;
    int nPositional = 0;
    bool bCapture = false;
    for (int i = 1; i < argc; ++i) {
        DriveText strArg = argv[i] == nullptr ? DriveText() : DriveText(argv[i]);
        if (strArg == L"--json") {
            pOptions->bJson = true;
        } else if (strArg == L"--capture") {
            // A following option is no file name: "--capture --json" lacks one.
            if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == L'\0' ||
                DriveText(argv[i + 1]).compare(0, 2, L"--") == 0) {
                *pstrError = L"--capture needs a file name";
                return false;
            }
            if (bCapture) {
                *pstrError = L"--capture given twice";
                return false;
            }
            bCapture = true;
            pOptions->strCapturePath = argv[++i];
        } else if (strArg.compare(0, 2, L"--") == 0) {
            *pstrError = L"unknown option " + strArg;
            return false;
        } else if (nPositional == 0) {
            pOptions->strTag = strArg;
            ++nPositional;
        } else if (nPositional == 1) {
            pOptions->strNewestRevision = strArg;
            ++nPositional;
        } else {
            *pstrError = L"unexpected argument " + strArg;
            return false;
        }
    }
    if (nPositional < 2) {
        *pstrError = nPositional == 0 ? L"missing TAG and NEWEST_REV" : L"missing NEWEST_REV";
        return false;
    }
    return true;
}

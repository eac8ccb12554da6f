#include "app/command_options.h"

bool TakeOtherArgument(const DriveText& strArg, int* pnPositional, DriveText* pstrTag, DriveText* pstrNewestRevision,
                       DriveText* pstrError)
{
    if (strArg.compare(0, 2, L"--") == 0) {
        *pstrError = L"unknown option " + strArg;
        return false;
    }
    if (*pnPositional >= 2) {
        *pstrError = L"unexpected argument " + strArg;
        return false;
    }
    *(*pnPositional == 0 ? pstrTag : pstrNewestRevision) = strArg;
    ++*pnPositional;
    return true;
}

bool HasBothArguments(int nPositional, DriveText* pstrError)
{
    if (nPositional >= 2)
        return true;
    *pstrError = nPositional == 0 ? L"missing TAG and NEWEST_REV" : L"missing NEWEST_REV";
    return false;
}

bool TakeOptionValue(int argc, const wchar_t* const* argv, int* pnIndex, const wchar_t* pszWhat, DriveText* pstrValue,
                     DriveText* pstrError)
{
    DriveText strOption = argv[*pnIndex];
    int nNext = *pnIndex + 1;
    if (nNext >= argc || argv[nNext] == nullptr || argv[nNext][0] == L'\0' ||
        DriveText(argv[nNext]).compare(0, 2, L"--") == 0) {
        *pstrError = strOption + L" needs " + pszWhat;
        return false;
    }
    if (!pstrValue->empty()) {
        *pstrError = strOption + L" given twice";
        return false;
    }
    *pstrValue = argv[nNext];
    *pnIndex = nNext;
    return true;
}

bool TakeFileArgument(int argc, const wchar_t* const* argv, int* pnIndex, DriveText* pstrPath, DriveText* pstrError)
{
    return TakeOptionValue(argc, argv, pnIndex, L"a file name", pstrPath, pstrError);
}

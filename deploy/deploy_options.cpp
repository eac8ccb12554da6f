#include "deploy/deploy_options.h"

#include "app/command_options.h"

// --args DIGITS=TEXT: TEXT for the updater of the model with those digits.
static bool TakeModelArguments(const DriveText& strValue, DeployOptions* pOptions, DriveText* pstrError)
{
    size_t nEquals = strValue.find(L'=');
    DriveText strDigits = strValue.substr(0, nEquals);
    DriveText* pstrTarget = strDigits == L"5120"   ? &pOptions->strArguments5120
                            : strDigits == L"5121" ? &pOptions->strArguments5121
                                                   : nullptr;
    if (nEquals == DriveText::npos || pstrTarget == nullptr || nEquals + 1 == strValue.size()) {
        *pstrError = L"--args needs 5120=TEXT or 5121=TEXT, not " + strValue;
        return false;
    }
    if (!pstrTarget->empty()) {
        *pstrError = L"--args given twice for " + strDigits;
        return false;
    }
    *pstrTarget = strValue.substr(nEquals + 1);
    return true;
}

static bool TakeTimeout(const DriveText& strValue, DeployOptions* pOptions, DriveText* pstrError)
{
    uint32_t nMinutes = 0;
    bool bNumber = !strValue.empty() && strValue.size() <= 4;
    for (wchar_t ch : strValue) {
        bNumber = bNumber && ch >= L'0' && ch <= L'9';
        nMinutes = nMinutes * 10 + static_cast<uint32_t>(ch - L'0');
    }
    if (!bNumber || nMinutes == 0 || nMinutes > DEPLOY_MAX_TIMEOUT_MINUTES) {
        *pstrError = L"--timeout needs whole minutes from 1 to " + DecimalText(DEPLOY_MAX_TIMEOUT_MINUTES) + L", not " +
                     strValue;
        return false;
    }
    pOptions->nTimeoutMinutes = nMinutes;
    return true;
}

bool ParseDeployOptions(int argc, const wchar_t* const* argv, DeployOptions* pOptions, DriveText* pstrError)
{
    *pOptions = DeployOptions();
    pOptions->bYes = false;
    pOptions->bJson = false;
    pOptions->nTimeoutMinutes = DEPLOY_DEFAULT_TIMEOUT_MINUTES;
    pOptions->bAllowBattery = false;
    int nPositional = 0;
    DriveText strTimeout;
    for (int i = 1; i < argc; ++i) {
        DriveText strArg = argv[i] == nullptr ? DriveText() : DriveText(argv[i]);
        DriveText strValue;
        if (strArg == L"--yes") {
            pOptions->bYes = true;
        } else if (strArg == L"--json") {
            pOptions->bJson = true;
        } else if (strArg == L"--allow-battery") {
            pOptions->bAllowBattery = true;
        } else if (strArg == L"--report") {
            if (!TakeFileArgument(argc, argv, &i, &pOptions->strReportPath, pstrError))
                return false;
        } else if (strArg == L"--log") {
            if (!TakeFileArgument(argc, argv, &i, &pOptions->strLogPath, pstrError))
                return false;
        } else if (strArg == L"--sha256") {
            if (!TakeFileArgument(argc, argv, &i, &pOptions->strChecksumPath, pstrError))
                return false;
        } else if (strArg == L"--signer") {
            if (!TakeOptionValue(argc, argv, &i, L"a name", &pOptions->strSigner, pstrError))
                return false;
        } else if (strArg == L"--timeout") {
            if (!TakeOptionValue(argc, argv, &i, L"MINUTES", &strTimeout, pstrError) ||
                !TakeTimeout(strTimeout, pOptions, pstrError))
                return false;
        } else if (strArg == L"--args") {
            if (!TakeOptionValue(argc, argv, &i, L"DIGITS=TEXT", &strValue, pstrError) ||
                !TakeModelArguments(strValue, pOptions, pstrError))
                return false;
        } else if (!TakeOtherArgument(strArg, &nPositional, &pOptions->strTag, &pOptions->strNewestRevision,
                                      pstrError)) {
            return false;
        }
    }
    if (!pOptions->strSigner.empty() && !pOptions->strChecksumPath.empty()) {
        *pstrError = L"--signer and --sha256 do not go together: with --sha256 the list alone decides";
        return false;
    }
    if (!HasBothArguments(nPositional, pstrError))
        return false;
    // Arguments that can mark no drive, or every drive, are an engine's
    // variable gone wrong: no run may take them for an answer.
    if (pOptions->strTag.empty() || pOptions->strNewestRevision.empty()) {
        *pstrError = pOptions->strTag.empty() ? L"TAG is empty" : L"NEWEST_REV is empty";
        return false;
    }
    if (pOptions->strTag.size() > TAG_MAX_CHARACTERS) {
        *pstrError = L"TAG " + pOptions->strTag + L" is longer than the " + DecimalText(TAG_MAX_CHARACTERS) +
                     L" characters a drive holds for it";
        return false;
    }
    // The run's record is a registry key named after the tag.
    if (pOptions->strTag.find(L'\\') != DriveText::npos) {
        *pstrError = L"TAG " + pOptions->strTag + L" holds a backslash, which no registry key name can";
        return false;
    }
    return true;
}

DriveText ArgumentsForModel(const DeployOptions& options, ModelCode nModel)
{
    if (nModel == MODEL_CODE_5120)
        return options.strArguments5120;
    if (nModel == MODEL_CODE_5121)
        return options.strArguments5121;
    return DriveText();
}

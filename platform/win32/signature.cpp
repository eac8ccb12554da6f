// Authenticode: whether a vendor's updater is what its signer signed.
#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "platform/platform.h"

// Revocation that could not be checked from what the machine holds: an
// offline machine must still run a validly signed updater.
static bool IsRevocationUnknown(LONG nStatus)
{
    return nStatus == static_cast<LONG>(CERT_E_REVOCATION_FAILURE) ||
           nStatus == static_cast<LONG>(CRYPT_E_REVOCATION_OFFLINE) ||
           nStatus == static_cast<LONG>(CRYPT_E_NO_REVOCATION_CHECK);
}

static bool IsUnsigned(LONG nStatus)
{
    return nStatus == static_cast<LONG>(TRUST_E_NOSIGNATURE) ||
           nStatus == static_cast<LONG>(TRUST_E_SUBJECT_FORM_UNKNOWN) ||
           nStatus == static_cast<LONG>(TRUST_E_PROVIDER_UNKNOWN);
}

static DriveText ReadSignerName(HANDLE hState)
{
    CRYPT_PROVIDER_DATA* pData = WTHelperProvDataFromStateData(hState);
    CRYPT_PROVIDER_SGNR* pSigner = pData == nullptr ? nullptr : WTHelperGetProvSignerFromChain(pData, 0, FALSE, 0);
    if (pSigner == nullptr || pSigner->csCertChain == 0 || pSigner->pasCertChain[0].pCert == nullptr)
        return DriveText();
    wchar_t szName[512] = {0};
    CertGetNameStringW(pSigner->pasCertChain[0].pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, szName, 512);
    return szName;
}

int CheckPackageSignature(OsHandle hFile, const DriveText& strPath, DriveText* pstrSigner, uint32_t* pnStatus)
{
    WINTRUST_FILE_INFO file;
    ZeroMemory(&file, sizeof(file));
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = strPath.c_str();
    file.hFile = hFile;  // the very file that stays open until its process ends
    WINTRUST_DATA data;
    ZeroMemory(&data, sizeof(data));
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    data.dwUIContext = WTD_UICONTEXT_EXECUTE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    HWND hNoUi = static_cast<HWND>(INVALID_HANDLE_VALUE);
    LONG nStatus = WinVerifyTrust(hNoUi, &action, &data);
    *pnStatus = static_cast<uint32_t>(nStatus);
    int nResult = SIGNATURE_INVALID;
    if (nStatus == 0 || IsRevocationUnknown(nStatus)) {
        *pstrSigner = ReadSignerName(data.hWVTStateData);
        nResult = SIGNATURE_VALID;
    } else if (IsUnsigned(nStatus)) {
        nResult = SIGNATURE_NONE;
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(hNoUi, &action, &data);
    return nResult;
}

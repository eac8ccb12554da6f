// The record a run leaves in the registry for inventories and detection rules.
#include <windows.h>

#include "platform/platform.h"

// A 32-bit and a 64-bit program read and write the same key, and a
// detection rule finds it without asking for the 32-bit view.
static const REGSAM RECORD_VIEW = KEY_WOW64_64KEY;

static LONG WriteRecordValue(HKEY hKey, const RecordValue& value)
{
    switch (value.nKind) {
    case RECORD_VALUE_TEXT:
        return RegSetValueExW(hKey, value.pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.strText.c_str()),
                              static_cast<DWORD>((value.strText.size() + 1) * sizeof(wchar_t)));
    case RECORD_VALUE_NUMBER: {
        DWORD nNumber = value.nNumber;
        return RegSetValueExW(hKey, value.pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nNumber),
                              sizeof(nNumber));
    }
    case RECORD_VALUE_DELETE: {
        LONG nResult = RegDeleteValueW(hKey, value.pszName);
        return nResult == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : nResult;
    }
    default: return ERROR_SUCCESS;
    }
}

bool WriteMachineRecord(const DriveText& strKey, bool bVolatile, const RecordValue* aValues, int nValues,
                        uint32_t* pnError)
{
    *pnError = 0;
    HKEY hKey = nullptr;
    LONG nResult = RegCreateKeyExW(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, nullptr,
                                   bVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE | RECORD_VIEW, nullptr, &hKey, nullptr);
    for (int i = 0; nResult == ERROR_SUCCESS && i < nValues; ++i)
        nResult = WriteRecordValue(hKey, aValues[i]);
    if (nResult == ERROR_SUCCESS)
        nResult = RegFlushKey(hKey);
    if (hKey != nullptr)
        RegCloseKey(hKey);
    *pnError = static_cast<uint32_t>(nResult);
    return nResult == ERROR_SUCCESS;
}

bool ReadMachineRecordText(const DriveText& strKey, const wchar_t* pszName, DriveText* pstrText)
{
    pstrText->clear();
    wchar_t szText[256] = {0};
    DWORD cbText = sizeof(szText) - sizeof(wchar_t);
    DWORD nType = 0;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, KEY_QUERY_VALUE | RECORD_VIEW, &hKey) != ERROR_SUCCESS)
        return false;
    LONG nResult = RegQueryValueExW(hKey, pszName, nullptr, &nType, reinterpret_cast<BYTE*>(szText), &cbText);
    RegCloseKey(hKey);
    if (nResult != ERROR_SUCCESS || nType != REG_SZ)
        return false;
    *pstrText = DriveText(szText, cbText / sizeof(wchar_t));
    while (!pstrText->empty() && pstrText->back() == L'\0')
        pstrText->pop_back();
    return true;
}

#include <windows.h>

#include "platform/platform.h"

static_assert(BOX_RESULT_OK == IDOK && BOX_RESULT_CANCEL == IDCANCEL, "box results");

bool LoadStringResource(OsModule hModule, uint32_t nId, DriveText* pstrText)
{
    // With a zero buffer size LoadStringW hands out the resource itself:
    // its stored length, no terminating zero, in the thread's default language.
    const wchar_t* pchResource = nullptr;
    int cch = LoadStringW(static_cast<HINSTANCE>(hModule), nId, reinterpret_cast<LPWSTR>(&pchResource), 0);
    if (cch <= 0 || pchResource == nullptr)
        return false;
    pstrText->assign(pchResource, static_cast<size_t>(cch));
    return true;
}

int ShowMessageBox(const DriveText& strText, const DriveText& strCaption, uint32_t nKind)
{
    UINT uType = (nKind == BOX_KIND_OK_CANCEL ? MB_OKCANCEL : MB_OK) | MB_ICONEXCLAMATION;
    int nResult = MessageBoxW(nullptr, strText.c_str(), strCaption.c_str(), uType);
    if (nResult == IDOK)
        return BOX_RESULT_OK;
    if (nResult == IDCANCEL)
        return BOX_RESULT_CANCEL;
    return BOX_RESULT_FAILED;
}

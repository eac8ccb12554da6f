#include "messages/message_catalogue.h"

static OsModule g_hMessageModule = nullptr;
static DriveText g_strApplicationName;

void SetMessageSource(OsModule hModule, const DriveText& strApplicationName)
{
    g_hMessageModule = hModule;
    g_strApplicationName = strApplicationName;
}

DriveText ApplicationNameFromPath(const DriveText& strModulePath)
{
    size_t nSlash = strModulePath.find_last_of(L"\\/");
    DriveText strName = nSlash == DriveText::npos ? strModulePath : strModulePath.substr(nSlash + 1);
    size_t nDot = strName.rfind(L'.');
    if (nDot != DriveText::npos && nDot > 0)
        strName.erase(nDot);
    return strName;
}

bool LoadMessage(uint32_t nId, DriveText& strText)
{
    DriveText strLoaded;
    if (!LoadStringResource(g_hMessageModule, nId, &strLoaded) || strLoaded.empty())
        return false;
    strText = strLoaded;
    return true;
}

int ShowMessage(const DriveText& strText, uint32_t nKind)
{
    return ShowMessageBox(strText, g_strApplicationName, nKind);
}

#include <windows.h>

#include "platform/drive_text.h"

DriveText WidenAnsi(const uint8_t* pbText, size_t cbMax)
{
    size_t cb = 0;
    while (cb < cbMax && pbText[cb] != 0)
        ++cb;
    if (cb == 0)
        return DriveText();
    const char* pch = reinterpret_cast<const char*>(pbText);
    int cch = MultiByteToWideChar(CP_THREAD_ACP, 0, pch, static_cast<int>(cb), nullptr, 0);
    if (cch <= 0)
        return DriveText();
    DriveText strResult(static_cast<size_t>(cch), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, pch, static_cast<int>(cb), &strResult[0], cch);
    return strResult;
}

std::string Utf8FromText(const DriveText& strText)
{
    if (strText.empty())
        return std::string();
    int cch = static_cast<int>(strText.size());
    int cb = WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), cch, nullptr, 0, nullptr, nullptr);
    if (cb <= 0)
        return std::string();
    std::string strBytes(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), cch, &strBytes[0], cb, nullptr, nullptr);
    return strBytes;
}

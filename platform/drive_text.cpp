#include "platform/drive_text.h"

int FindText(const DriveText& strHaystack, const DriveText& strNeedle)
{
    size_t nPos = strHaystack.find(strNeedle);
    return nPos == DriveText::npos ? -1 : static_cast<int>(nPos);
}

bool IsTextAt(const DriveText& strHaystack, const DriveText& strNeedle, size_t nPos)
{
    if (strNeedle.empty() || nPos > strHaystack.size())
        return false;
    return strHaystack.compare(nPos, strNeedle.size(), strNeedle) == 0;
}

DriveText FormatCount(const DriveText& strFormat, int nCount)
{
    DriveText strResult;
    for (size_t i = 0; i < strFormat.size(); ++i) {
        if (strFormat[i] == L'%' && i + 1 < strFormat.size()) {
            if (strFormat[i + 1] == L'd') {
                strResult += std::to_wstring(nCount);
                ++i;
                continue;
            }
            if (strFormat[i + 1] == L'%') {
                strResult += L'%';
                ++i;
                continue;
            }
        }
        strResult += strFormat[i];
    }
    return strResult;
}

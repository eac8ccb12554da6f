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

DriveText DecimalText(int64_t nValue)
{
    // By hand: the C runtime's formatting would pull its whole printf into the image.
    uint64_t nMagnitude = nValue < 0 ? 0 - static_cast<uint64_t>(nValue) : static_cast<uint64_t>(nValue);
    DriveText strDigits;
    do {
        strDigits.insert(strDigits.begin(), static_cast<wchar_t>(L'0' + nMagnitude % 10));
        nMagnitude /= 10;
    } while (nMagnitude != 0);
    return nValue < 0 ? L"-" + strDigits : strDigits;
}

DriveText FormatCount(const DriveText& strFormat, int nCount)
{
    DriveText strResult;
    for (size_t i = 0; i < strFormat.size(); ++i) {
        if (strFormat[i] == L'%' && i + 1 < strFormat.size()) {
            if (strFormat[i + 1] == L'd') {
                strResult += DecimalText(nCount);
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

DriveText LowerHexText(const uint8_t* pb, size_t cb)
{
    static const wchar_t HEX_DIGITS[] = L"0123456789abcdef";
    DriveText strHex;
    for (size_t i = 0; i < cb; ++i) {
        strHex += HEX_DIGITS[pb[i] >> 4];
        strHex += HEX_DIGITS[pb[i] & 0x0F];
    }
    return strHex;
}

std::string FormatHexBytes(const uint8_t* pb, size_t cb)
{
    static const char HEX_DIGITS[] = "0123456789ABCDEF";
    std::string strHex;
    for (size_t i = 0; i < cb; ++i) {
        if (i > 0)
            strHex += ' ';
        strHex += HEX_DIGITS[pb[i] >> 4];
        strHex += HEX_DIGITS[pb[i] & 0x0F];
    }
    return strHex;
}

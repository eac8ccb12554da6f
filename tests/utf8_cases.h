#pragma once
// UTF-16 code units and the UTF-8 bytes they must become, at every boundary
// of the encoding: for the native build's own conversion and the Windows one alike.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/drive_text.h"

struct Utf8Case {
    const char* pszName;
    std::vector<uint32_t> anUnits;
    std::string strBytes;
};

inline const std::vector<Utf8Case>& Utf8Cases()
{
    static const std::vector<Utf8Case> CASES = {
        {"LastOneByte", {0x7F}, "\x7F"},
        {"FirstTwoBytes", {0x80}, "\xC2\x80"},
        {"LastTwoBytes", {0x7FF}, "\xDF\xBF"},
        {"FirstThreeBytes", {0x800}, "\xE0\xA0\x80"},
        {"LastThreeBytes", {0xFFFF}, "\xEF\xBF\xBF"},
        {"FirstPair", {0xD800, 0xDC00}, "\xF0\x90\x80\x80"},
        {"LastPair", {0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"},
        {"LoneHighHalf",
         {0x41, 0xD800, 0x42},
         "A\xEF\xBF\xBD"
         "B"},
        {"LoneLowHalf", {0xDC00}, "\xEF\xBF\xBD"},
        {"LowHalfBeforeHigh", {0xDC00, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"Katakana", {0x30C6, 0x30B9, 0x30C8}, "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88"},
    };
    return CASES;
}

inline DriveText TextOfUnits(const std::vector<uint32_t>& anUnits)
{
    DriveText strText;
    for (uint32_t nUnit : anUnits)
        strText += static_cast<wchar_t>(nUnit);
    return strText;
}

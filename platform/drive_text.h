#pragma once
// The system's one string type: identity strings, list entries, paths and
// message texts are all wide text with value semantics.
#include <cstddef>
#include <cstdint>
#include <string>

typedef std::wstring DriveText;

// Position of the first occurrence of strNeedle in strHaystack, or -1.
int FindText(const DriveText& strHaystack, const DriveText& strNeedle);

// Whether the characters of strHaystack from nPos on begin with strNeedle,
// whatever occurs before. An empty needle never counts as present: an empty
// tag marks no drive and an empty revision matches no drive.
bool IsTextAt(const DriveText& strHaystack, const DriveText& strNeedle, size_t nPos);

// A whole number in decimal digits, with a minus sign when negative.
DriveText DecimalText(int64_t nValue);

// The catalogue's count format: each "%d" becomes nCount and "%%" a percent
// sign; nothing else is interpreted, so a text can never read stray arguments.
DriveText FormatCount(const DriveText& strFormat, int nCount);

// Single-byte drive text widened with the thread's ANSI code page, up to the
// first zero byte and at most cbMax bytes.
DriveText WidenAnsi(const uint8_t* pbText, size_t cbMax);

// Bytes as lower-case hex pairs run together: "1200fe" (digests, random names).
DriveText LowerHexText(const uint8_t* pb, size_t cb);
// Bytes as upper-case hex pairs with a blank between them: "12 00 FE".
std::string FormatHexBytes(const uint8_t* pb, size_t cb);

// The text in UTF-8, for reports and logs; a lone surrogate becomes U+FFFD.
std::string Utf8FromText(const DriveText& strText);

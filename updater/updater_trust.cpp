#include "updater/updater_trust.h"

static bool IsHexDigit(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

static DriveText LowerHexText(const std::string& strHex)
{
    DriveText strText;
    for (char ch : strHex)
        strText += static_cast<wchar_t>(ch >= 'A' && ch <= 'F' ? ch - 'A' + 'a' : ch);
    return strText;
}

static const size_t SHA256_HEX_DIGITS = 64;

// One line of the list: false when it is neither a sum, a comment nor blank.
static bool ParseChecksumLine(std::string strLine, std::vector<DriveText>* pastrSha256)
{
    if (!strLine.empty() && strLine.back() == '\r')
        strLine.pop_back();
    size_t nStart = strLine.find_first_not_of(" \t");
    if (nStart == std::string::npos || strLine[nStart] == '#')
        return true;
    std::string strHex = strLine.substr(nStart, SHA256_HEX_DIGITS);
    size_t nAfter = nStart + SHA256_HEX_DIGITS;
    if (strHex.size() != SHA256_HEX_DIGITS || nAfter + 2 > strLine.size() || strLine[nAfter] != ' ' ||
        (strLine[nAfter + 1] != ' ' && strLine[nAfter + 1] != '*') || nAfter + 2 == strLine.size())
        return false;
    for (char ch : strHex) {
        if (!IsHexDigit(ch))
            return false;
    }
    pastrSha256->push_back(LowerHexText(strHex));
    return true;
}

bool ParseChecksumList(const std::string& strText, std::vector<DriveText>* pastrSha256, DriveText* pstrError)
{
    size_t nLine = 1;
    for (size_t nPos = 0; nPos < strText.size(); ++nLine) {
        size_t nEnd = strText.find('\n', nPos);
        if (nEnd == std::string::npos)
            nEnd = strText.size();
        if (!ParseChecksumLine(strText.substr(nPos, nEnd - nPos), pastrSha256)) {
            *pstrError = L"line " + DecimalText(static_cast<int64_t>(nLine)) + L" is not \"SHA256  NAME\"";
            return false;
        }
        nPos = nEnd + 1;
    }
    return true;
}

static DriveText HexStatus(uint32_t nStatus)
{
    static const wchar_t SZ_HEX[] = L"0123456789ABCDEF";
    DriveText strText = L"0x";
    for (int nShift = 28; nShift >= 0; nShift -= 4)
        strText += SZ_HEX[(nStatus >> nShift) & 15];
    return strText;
}

DriveText DecideUpdaterTrust(const UpdaterPolicy& policy, const UpdaterFileCheck& check)
{
    if (policy.bChecksumList) {
        for (const DriveText& strApproved : policy.astrApprovedSha256) {
            if (strApproved == check.strSha256)
                return DriveText();
        }
        return L"SHA-256 not listed";
    }
    if (check.nSignature == SIGNATURE_NONE)
        return L"unsigned";
    if (check.nSignature != SIGNATURE_VALID)
        return L"signature does not verify (" + HexStatus(check.nStatus) + L")";
    if (!policy.strSigner.empty() && check.strSigner != policy.strSigner)
        return L"signer differs: \"" + check.strSigner + L"\"";
    return DriveText();
}

DriveText CheckUpdaterFile(const DriveText& strPath, OsHandle* phFile, UpdaterFileCheck* pCheck)
{
    uint32_t nError = 0;
    *pCheck = UpdaterFileCheck{DriveText(), SIGNATURE_NONE, DriveText(), 0};
    *phFile = OpenPackageFile(strPath, &nError);
    if (*phFile == OS_INVALID_HANDLE)
        return L"cannot be opened for checking (Windows error " + DecimalText(nError) + L")";
    pCheck->strSha256 = HashPackageFile(*phFile);
    if (pCheck->strSha256.empty()) {
        ClosePackageFile(*phFile);
        *phFile = OS_INVALID_HANDLE;
        return L"cannot be read";
    }
    pCheck->nSignature = CheckPackageSignature(*phFile, strPath, &pCheck->strSigner, &pCheck->nStatus);
    return DriveText();
}

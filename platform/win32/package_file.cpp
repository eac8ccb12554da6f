// Updater files read before they run, and the small files that say which to trust.
#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include "platform/platform.h"

const DWORD SMALL_FILE_MAX_BYTES = 1 << 20;

OsHandle OpenPackageFile(const DriveText& strPath, uint32_t* pnError)
{
    // Readers may share it; a writer, a rename or a delete may not.
    HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        *pnError = GetLastError();
    return hFile;
}

void ClosePackageFile(OsHandle hFile)
{
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
}

DriveText HashPackageFile(OsHandle hFile)
{
    HCRYPTPROV hProvider = 0;
    HCRYPTHASH hHash = 0;
    LARGE_INTEGER nStart;
    nStart.QuadPart = 0;
    if (!SetFilePointerEx(hFile, nStart, nullptr, FILE_BEGIN) ||
        !CryptAcquireContextW(&hProvider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return DriveText();
    bool bHashed = CryptCreateHash(hProvider, CALG_SHA_256, 0, 0, &hHash) != FALSE;
    std::vector<BYTE> abChunk(64 * 1024);
    for (DWORD cbRead = 0; bHashed;) {
        if (!ReadFile(hFile, abChunk.data(), static_cast<DWORD>(abChunk.size()), &cbRead, nullptr))
            bHashed = false;
        else if (cbRead == 0)
            break;
        else if (!CryptHashData(hHash, abChunk.data(), cbRead, 0))
            bHashed = false;
    }
    BYTE abDigest[32];
    DWORD cbDigest = sizeof(abDigest);
    bHashed = bHashed && CryptGetHashParam(hHash, HP_HASHVAL, abDigest, &cbDigest, 0) && cbDigest == sizeof(abDigest);
    if (hHash != 0)
        CryptDestroyHash(hHash);
    CryptReleaseContext(hProvider, 0);
    if (!bHashed)
        return DriveText();
    return LowerHexText(abDigest, sizeof(abDigest));
}

bool ReadSmallFile(const DriveText& strPath, std::string* pstrBytes)
{
    HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER nSize;
    bool bRead = GetFileSizeEx(hFile, &nSize) && nSize.QuadPart <= SMALL_FILE_MAX_BYTES;
    if (bRead) {
        pstrBytes->assign(static_cast<size_t>(nSize.QuadPart), '\0');
        DWORD cbRead = 0;
        bRead = nSize.QuadPart == 0 ||
                (ReadFile(hFile, &(*pstrBytes)[0], static_cast<DWORD>(nSize.QuadPart), &cbRead, nullptr) &&
                 cbRead == nSize.QuadPart);
    }
    CloseHandle(hFile);
    return bRead;
}

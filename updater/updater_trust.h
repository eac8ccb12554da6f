#pragma once
// Which updater files may run: by default those whose Authenticode signature
// verifies (and whose signer, when one is named, is that signer); with a
// list of approved SHA-256 sums, exactly those listed.
#include <string>
#include <vector>

#include "platform/platform.h"

struct UpdaterPolicy {
    DriveText strSigner;                        // empty: any signer whose signature verifies
    bool bChecksumList;                         // the list below decides, signed or not
    std::vector<DriveText> astrApprovedSha256;  // lower-case hex
};

// What was read of one updater file before it runs.
struct UpdaterFileCheck {
    DriveText strSha256;  // lower-case hex; empty when the file could not be read
    int nSignature;       // SIGNATURE_...
    DriveText strSigner;  // the signer when the signature verifies
    uint32_t nStatus;     // the system's answer to the signature check
};

// The lines of a sha256sum file ("HEX  NAME" or "HEX *NAME", # comments,
// blank lines). False, with the error naming the line, for any other line.
bool ParseChecksumList(const std::string& strText, std::vector<DriveText>* pastrSha256, DriveText* pstrError);
// Empty when the policy accepts the file; otherwise why it is refused.
DriveText DecideUpdaterTrust(const UpdaterPolicy& policy, const UpdaterFileCheck& check);
// Opens the file so that it cannot change until *phFile is closed, and reads
// its SHA-256 and signature through that handle. Empty when it was read;
// otherwise why not (*phFile is then closed).
DriveText CheckUpdaterFile(const DriveText& strPath, OsHandle* phFile, UpdaterFileCheck* pCheck);

#pragma once
// Simulated drives: each letter may hold a drive that answers INQUIRY and the
// vendor identity READ BUFFER, reports unit attention or other sense, or does
// not open. The drives answer as a driver would: what they write is cut to
// the caller's transfer length and the command's allocation length, sense to
// the caller's sense length. Handles are distinct and never reused, so that a
// handle used after its close is seen.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/drive_text.h"
#include "platform/platform.h"

const int SIM_LETTERS = 26;
const int SIM_FOREVER = -1;
// A drive's bus type query fails (else it answers a STORAGE_BUS_TYPE number).
const int SIM_BUS_QUERY_FAILS = -1;
// The answers' layouts with offsets of the simulator's own, not the
// product's (drive/scsi_facts.h): as the oracle it must not share the
// facts it checks.
const size_t SIM_VENDOR_IDENTITY_BYTES = 48;
const size_t SIM_VENDOR_IDENTITY_TEXT_OFFSET = 16;
const size_t SIM_INQUIRY_BYTES = 36;
// The three text fields of the standard INQUIRY answer: offset and width.
const size_t SIM_INQUIRY_VENDOR_OFFSET = 8, SIM_INQUIRY_VENDOR_BYTES = 8;
const size_t SIM_INQUIRY_PRODUCT_OFFSET = 16, SIM_INQUIRY_PRODUCT_BYTES = 16;
const size_t SIM_INQUIRY_REVISION_OFFSET = 32, SIM_INQUIRY_REVISION_BYTES = 4;
// Fixed-format sense data as a drive returns it: 8 bytes and 10 more.
const size_t SIM_SENSE_BYTES = 18;

// One scripted answer: a status and, with CHECK CONDITION, its sense.
struct SimAnswer {
    uint8_t nStatus;
    uint8_t abSenseCode[3];
};

// How one kind of command fails on a drive: a status and the sense bytes
// returned with it (status 0: the command does not fail so).
struct SimCommandFailure {
    uint8_t nStatus;
    std::vector<uint8_t> abSense;
};

struct SimDrive {
    bool bPresent;  // the letter has a volume
    bool bOpens;
    uint32_t nOpenError;                      // why it does not open: a Windows error number
    std::vector<uint8_t> abInquiry;           // the whole INQUIRY answer
    std::vector<uint8_t> abVendorIdentity;    // the whole vendor identity answer
    int nUnitAttentions;                      // per open, or SIM_FOREVER
    uint8_t abAttentionSense[3];              // the unit attention reported: key, ASC, ASCQ
    uint8_t nStatus;                          // non-zero: every command fails so
    bool bSenseData;                          // with the sense below, else none
    uint8_t abSenseCode[3];                   // key, ASC, ASCQ
    SimCommandFailure inquiryFailure;         // INQUIRY alone fails so
    SimCommandFailure vendorIdentityFailure;  // the vendor identity READ BUFFER alone fails so
    bool bDeviceCallFails;                    // the device call itself fails
    std::string strUpdatedBy;                 // digits of the package that updates it
    std::string strRevisionAfterUpdate;
    uint32_t nLatencyMs;             // time every command takes
    int nBusType;                    // the bus its storage driver names, or SIM_BUS_QUERY_FAILS
    std::vector<SimAnswer> aScript;  // answers to the sends after each open, then the above
};

// One command as the drive receives it.
struct SimCommand {
    const uint8_t* pbCdb;
    uint8_t nCdbLength;
    uint8_t* pbData;
    uint32_t nTransferLength;
    uint8_t nSenseInfoLength;
};

// What the drive did with it.
struct SimCompletion {
    uint8_t nStatus;
    uint32_t cbData;  // bytes written into the caller's data buffer
    uint8_t abSense[SIM_SENSE_BYTES];
    uint32_t cbSense;  // bytes of abSense that the caller receives
};

extern SimDrive g_aSimDrive[SIM_LETTERS];
extern std::vector<std::string> g_astrSimTrace;
extern int g_nSimOpenHandles;
extern int g_nSimMostOpenHandles;
// Where trace lines go; by default into g_astrSimTrace.
extern void (*g_pfnSimTrace)(const std::string& strLine);

SimDrive& SimDriveAt(char chLetter);
void ResetSimDrives();
// A present drive with a plausible standard INQUIRY header, blank fields and
// an all-zero vendor identity.
SimDrive MakeSimDrive();
void SetSimInquiryField(SimDrive* pDrive, size_t nOffset, size_t cbField, const std::string& strText);
void SetSimVendorIdentityText(SimDrive* pDrive, const std::string& strText);
// A drive of the usual layout: vendor identity text, product and revision.
SimDrive MakeTargetDrive(const std::string& strVendorIdentity, const std::string& strProduct,
                         const std::string& strRevision);
// What a package run does: drives whose updated_by digits occur in the
// package's file name take their revision after update.
void ApplySimPackageRun(const std::string& strFileName);
void RecordSimEvent(const std::string& strLine);

// The letter index of a raw volume path \\.\X: (or \\?\X:), or -1 when the
// path names no volume.
int LetterIndexOfVolumePath(const DriveText& strPath);
// Opens the letter's drive and records the open: 0, which starts the drive's
// per-open answers afresh, or the Windows error number of the failure.
uint32_t OpenSimDrive(int nIndex);
// The handle table: hHandle, a value no other open handle has, now refers to
// the drive at nIndex until it is closed.
void RegisterSimHandle(void* hHandle, int nIndex);
// The letter index of an open handle; -1 for a handle never given out or
// already closed (*pbClosed tells which).
int FindSimHandle(void* hHandle, bool* pbClosed);
// Records the close; false when the handle was not open.
bool CloseSimHandle(void* hHandle);
// The allocation length the command asks for, or -1 for a command the
// drives do not know.
int64_t AllocationLengthOf(const uint8_t* pbCdb);
// The drive at nIndex answers the command and records it. False when the
// device call itself fails; the caller's buffers are then untouched.
bool AnswerSimCommand(int nIndex, const SimCommand& command, SimCompletion* pCompletion);
// The drive at nIndex's storage driver answers the bus type query, which
// reaches no drive, and records it as "bus E 10"; false when it fails.
bool AnswerSimBusTypeQuery(int nIndex, uint32_t* pnBusType);

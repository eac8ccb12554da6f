#pragma once
// Simulated drives behind the volume functions of the platform seam: each
// letter may hold a drive that answers INQUIRY and the vendor identity READ
// BUFFER, reports unit attention or other sense, or does not open.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/drive_text.h"
#include "platform/platform.h"

const int SIM_LETTERS = 26;
const int SIM_FOREVER = -1;
const size_t SIM_VENDOR_IDENTITY_BYTES = 48;
const size_t SIM_VENDOR_IDENTITY_TEXT_OFFSET = 16;
const size_t SIM_INQUIRY_BYTES = 36;
// The three text fields of the standard INQUIRY answer: offset and width.
const size_t SIM_INQUIRY_VENDOR_OFFSET = 8, SIM_INQUIRY_VENDOR_BYTES = 8;
const size_t SIM_INQUIRY_PRODUCT_OFFSET = 16, SIM_INQUIRY_PRODUCT_BYTES = 16;
const size_t SIM_INQUIRY_REVISION_OFFSET = 32, SIM_INQUIRY_REVISION_BYTES = 4;

// One scripted answer: a status and, with CHECK CONDITION, its sense.
struct SimAnswer {
    uint8_t nStatus;
    uint8_t abSenseCode[3];
};

struct SimDrive {
    bool bPresent;                          // the letter has a volume
    bool bOpens;
    std::vector<uint8_t> abInquiry;         // the whole INQUIRY answer
    std::vector<uint8_t> abVendorIdentity;  // the whole vendor identity answer
    int nUnitAttentions;                    // per command, or SIM_FOREVER
    uint8_t nStatus;                        // non-zero: every command fails so
    bool bSenseData;                        // with the sense below, else none
    uint8_t abSenseCode[3];                 // key, ASC, ASCQ
    bool bDeviceCallFails;                  // the device call itself fails
    std::string strUpdatedBy;               // digits of the package that updates it
    std::string strRevisionAfterUpdate;
    uint32_t nLatencyMs;                    // time every command takes
    std::vector<SimAnswer> aScript;         // answers to the sends after each open, then the above
};

extern SimDrive g_aSimDrive[SIM_LETTERS];
extern std::vector<std::string> g_astrSimTrace;
extern ScsiRequest g_lastSimRequest;  // the last request a drive received
extern int g_nSimOpenHandles;
extern int g_nSimMostOpenHandles;
// Called at every open, so that the drives can be read afresh.
extern void (*g_pfnSimBeforeOpen)();
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
std::string FormatHexBytes(const uint8_t* pb, size_t cb);

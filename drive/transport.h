#pragma once
// The only place that talks to a drive: one raw volume open at a time, one
// 12-byte command with a data-in transfer per send.
#include <cstdint>

#include "drive/scsi_facts.h"
#include "platform/platform.h"

typedef int32_t SenseClass;

const SenseClass SENSE_CLASS_NONE = 0;                // [00, 00, 00] no sense
const SenseClass SENSE_CLASS_OTHER = 1;               // anything not listed here
const SenseClass SENSE_CLASS_BECOMING_READY = 2;      // [02, 04, 01]
const SenseClass SENSE_CLASS_INIT_REQUIRED = 3;       // [02, 04, 02]
const SenseClass SENSE_CLASS_LONG_WRITE = 4;          // [02, 04, 08]
const SenseClass SENSE_CLASS_NO_MEDIUM = 5;           // [02, 3A, 00..02]
const SenseClass SENSE_CLASS_COMM_TIMEOUT = 6;        // [04, 08, 01]
const SenseClass SENSE_CLASS_SELF_CONFIG_FAILED = 7;  // [04, 4C, 00]
const SenseClass SENSE_CLASS_MEDIUM_CHANGED = 8;      // [06, 28, 00] unit attention
const SenseClass SENSE_CLASS_POWER_ON_RESET = 9;      // [06, 29, 00] unit attention

const int SCSI_CDB_BYTES = 12;
const uint8_t SCSI_REQUEST_SENSE_LENGTH = 18;
const uint32_t SCSI_TIMEOUT_SECONDS = 360;
// A drive that reports unit attention on every attempt must not hold the
// launcher for ever: the first send and seven repetitions at most.
const int SEND_CDB_MAX_ATTEMPTS = 8;

extern OsHandle g_hDrive;

// What a command came to in the end, for programs that report on a drive.
struct CdbOutcome {
    bool bReachedDrive;  // false when the device call itself failed
    uint8_t nScsiStatus;
    uint8_t abSense[SCSI_SENSE_AREA_BYTES];
    uint8_t cbSense;         // sense bytes the drive returned with a non-zero status
    uint32_t cbTransferred;  // data bytes the drive returned with status 0
};

// Closes any open drive; opens \\.\X: for the letter unless it is 0.
bool OpenDrive(char chLetter);
// The same; on a failed open *pnError is the system's error number (0 for
// letter 0).
bool OpenDriveWithError(char chLetter, uint32_t* pnError);
void CloseDrive();
// The bus of the open drive, as its storage driver names it (OS_BUS_TYPE_...
// or another STORAGE_BUS_TYPE number): no command reaches the drive. False
// when the query fails.
bool ReadOpenDriveBusType(uint32_t* pnBusType);
// Whether a volume exists but would not open: access denied, or another
// program holds it. No medium and not ready are normal for card readers
// and optical drives, and a missing letter is no volume at all.
bool IsVolumeRefusal(uint32_t nOpenError);
// True when the command ended with SCSI status 0; repeated at once while the
// drive reports one of the two unit attentions.
bool SendCdb(uint32_t nTransferLength, const uint8_t abCdb[SCSI_CDB_BYTES], uint8_t* pbData);
// SendCdb, telling what the last send came to.
bool SendCdbWithOutcome(uint32_t nTransferLength, const uint8_t abCdb[SCSI_CDB_BYTES], uint8_t* pbData,
                        CdbOutcome* pOutcome);
// The sense key byte is taken whole: flag bits are not masked off.
SenseClass ClassifySense(uint8_t nSenseKey, uint8_t nAsc, uint8_t nAscq);

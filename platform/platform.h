#pragma once
// The seam between the launcher and the operating system. The product links
// platform/win32; the tests link a simulated layer in its place.
#include <cstdint>
#include <string>

#include "platform/drive_text.h"

typedef void* OsHandle;
typedef void* OsModule;

// The value of a handle that refers to nothing (Windows' INVALID_HANDLE_VALUE).
extern const OsHandle OS_INVALID_HANDLE;

// Windows error numbers that the programs tell apart.
const uint32_t OS_ERROR_FILE_NOT_FOUND = 2;
const uint32_t OS_ERROR_PATH_NOT_FOUND = 3;
const uint32_t OS_ERROR_ACCESS_DENIED = 5;
const uint32_t OS_ERROR_INVALID_HANDLE = 6;
const uint32_t OS_ERROR_SHARING_VIOLATION = 32;

// ---- Raw volumes and SCSI pass-through -------------------------------------

const int SCSI_SENSE_AREA_BYTES = 32;

// One command with a data-in transfer, as the transport asks for it; the
// backend turns it into the operating system's own pass-through record.
struct ScsiRequest {
    uint8_t abCdb[16];
    uint8_t nCdbLength;
    uint8_t nSenseInfoLength;
    bool bDataIn;
    uint32_t nTransferLength;
    uint8_t* pbData;
    uint32_t nTimeoutSeconds;
    // Filled in by the device call.
    uint8_t nScsiStatus;
    uint8_t abSense[SCSI_SENSE_AREA_BYTES];
    uint32_t nTransferred;   // bytes the drive put into pbData
    uint8_t nSenseReturned;  // bytes of sense it returned
};

// Opens a device path such as \\.\E: for reading and writing, shared. On
// failure *pnError, when given, is the system's error number.
OsHandle OpenVolume(const DriveText& strDevicePath, uint32_t* pnError);
void CloseVolume(OsHandle hVolume);
// Sends the request; false when the device call itself failed, in which case
// the caller's data buffer is left as it was.
bool SendScsiRequest(OsHandle hVolume, ScsiRequest* pRequest);

// The STORAGE_BUS_TYPE numbers the programs name.
const uint32_t OS_BUS_TYPE_SCSI = 1;
const uint32_t OS_BUS_TYPE_ATA = 3;
const uint32_t OS_BUS_TYPE_USB = 7;
const uint32_t OS_BUS_TYPE_RAID = 8;
const uint32_t OS_BUS_TYPE_SAS = 10;
const uint32_t OS_BUS_TYPE_SATA = 11;
const uint32_t OS_BUS_TYPE_SD = 12;
const uint32_t OS_BUS_TYPE_VIRTUAL = 14;
const uint32_t OS_BUS_TYPE_NVME = 17;

// The bus of an open volume's device, as its storage driver describes it
// (a property query, no command to the drive); false when the query fails.
bool QueryVolumeBusType(OsHandle hVolume, uint32_t* pnBusType);

// ---- The system the program runs on -----------------------------------------

const int OS_ARCHITECTURE_X86 = 0;
const int OS_ARCHITECTURE_X64 = 1;
const int OS_ARCHITECTURE_ARM64 = 2;
const int OS_ARCHITECTURE_OTHER = 3;

struct SystemFacts {
    int nProcessArchitecture;  // OS_ARCHITECTURE_...: what the program is built for
    int nMachineArchitecture;  // the machine's own, beneath WOW64 or emulation
    bool bWindowsPe;           // the MiniNT key is present
    uint32_t nMajorVersion, nMinorVersion, nBuildNumber;
};

void ReadSystemFacts(SystemFacts* pFacts);

// ---- Process ----------------------------------------------------------------

// SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX: no system dialog when a
// drive letter without a medium is opened.
const uint32_t PROCESS_ERROR_MODE_QUIET = 0x8001;

// Keeps library loading to the system directory, where the system has the call.
void RestrictLibraryLoading();
OsModule GetOwnModule();
DriveText GetModulePath(OsModule hModule);
void AddProcessErrorMode(uint32_t nFlags);

// ---- Console ----------------------------------------------------------------

// Whether the process can reach a console: a console window of its own, or a
// top-level window of class "ConsoleWindowClass".
bool HasConsoleWindow();
void WriteConsoleNarrow(const char* pszText);
// Written in full, whatever the C runtime's locale.
void WriteConsoleWide(const DriveText& strText);
void ReadConsoleChar();
// Standard error, written as WriteConsoleWide writes standard output.
void WriteErrorWide(const DriveText& strText);

// ---- Privileges, window station and the machine's update lock ---------------

// Whether the process's token is elevated (TokenElevation); false when that
// cannot be read.
bool IsProcessElevated();
// Whether the process's window station is one a person sees: WSF_VISIBLE,
// outside session 0 (whose desktop nobody has seen since Windows Vista,
// though its station says visible); true when that cannot be read, so that
// only a known invisible station stops a run.
bool IsWindowStationVisible();
// One update run per machine: the lock shared by every program that starts
// updaters, which only an administrator or SYSTEM can make or hold. Returns
// UPDATE_LOCK_... (platform/update_lock_rule.h): busy while another run holds
// it, or while any updater that a run started, or any process it started,
// lives. *phLock is to be released when taken, else OS_INVALID_HANDLE; for
// UPDATE_LOCK_FAILED *pnError is the system's error number.
int TakeUpdateLock(OsHandle* phLock, uint32_t* pnError);
void ReleaseUpdateLock(OsHandle hLock);

// ---- Files written whole ----------------------------------------------------

// Whether strPath can be written: it is no link, an existing file opens for
// writing, and a new file can be made in its folder. Nothing is changed.
bool CanWriteWholeFile(const DriveText& strPath);
// The bytes go to a new file of a name no one else can have taken, beside
// strPath, which then takes its place: no reader ever sees half of them, and
// a failure leaves strPath as it was.
bool ReplaceFileWhole(const DriveText& strPath, const std::string& strBytes);
// Deletes strPath (a link itself, never what it points to); true when it is
// gone or was never there.
bool RemoveWholeFile(const DriveText& strPath);

// ---- Files appended to, line by line -----------------------------------------

// Opens strPath for appending, creating it when missing; what it held stays.
// OS_INVALID_HANDLE when it cannot be written, or is a link.
OsHandle OpenAppendFile(const DriveText& strPath);
// Appends the bytes at the end and flushes them to the file, so that a run
// that dies leaves them written. False when they could not be written.
bool AppendToFile(OsHandle hFile, const std::string& strBytes);
void CloseAppendFile(OsHandle hFile);
// The current time in UTC as YYYY-MM-DDTHH:MM:SSZ.
DriveText UtcTimeStamp();

// ---- The machine's record (HKEY_LOCAL_MACHINE, the registry's 64-bit view) ---

const int RECORD_VALUE_TEXT = 0;    // REG_SZ
const int RECORD_VALUE_NUMBER = 1;  // REG_DWORD
const int RECORD_VALUE_DELETE = 2;  // no such value afterwards
const int RECORD_VALUE_KEEP = 3;    // left as it is

struct RecordValue {
    const wchar_t* pszName;
    int nKind;  // RECORD_VALUE_...
    DriveText strText;
    uint32_t nNumber;
};

// Creates the key under HKEY_LOCAL_MACHINE, when missing (volatile: gone at
// the next start of Windows), and sets or deletes its values in order. On
// failure *pnError is the system's error number of the first step that failed.
bool WriteMachineRecord(const DriveText& strKey, bool bVolatile, const RecordValue* aValues, int nValues,
                        uint32_t* pnError);
// A text value of a key under HKEY_LOCAL_MACHINE; false when there is none.
bool ReadMachineRecordText(const DriveText& strKey, const wchar_t* pszName, DriveText* pstrText);

// ---- String resources and message boxes ------------------------------------

// Loads string resource nId of hModule in the thread's default resource
// language; false when the entry is missing or empty.
bool LoadStringResource(OsModule hModule, uint32_t nId, DriveText* pstrText);

const uint32_t BOX_KIND_OK_CANCEL = 1;
const uint32_t BOX_KIND_OK = 2;
const int BOX_RESULT_FAILED = 0;
const int BOX_RESULT_OK = 1;
const int BOX_RESULT_CANCEL = 2;

// A box with the exclamation icon and no owner window; returns the button
// that closed it, or BOX_RESULT_FAILED when the box could not be shown.
int ShowMessageBox(const DriveText& strText, const DriveText& strCaption, uint32_t nKind);

// ---- Current directory and processes ----------------------------------------

struct DirectoryEntry {
    DriveText strName;
    bool bDirectory;
};

DriveText GetCurrentDirectoryPath();
// Starts a listing of strPattern in the current directory and reads its
// first entry; OS_INVALID_HANDLE when there is none.
OsHandle OpenDirectoryListing(const DriveText& strPattern, DirectoryEntry* pEntry);
// Reads the next entry; false at the end.
bool ReadNextDirectoryEntry(OsHandle hListing, DirectoryEntry* pEntry);
void CloseDirectoryListing(OsHandle hListing);

// Starts the default action of a file through the shell (which shows its
// own box when the start fails), no arguments, normal window, current
// directory; the process counts as an update run as StartPackageExecutable
// says. False when the start failed. *phProcess is the process to wait
// for, or OS_INVALID_HANDLE / null when there is none.
bool StartPackageProcess(const DriveText& strPath, OsHandle* phProcess);
// Waits without a time-out; returns at once when there is no process.
void WaitForPackageProcess(OsHandle hProcess);
// The exit code of an ended package process; false when there is none to read.
bool ReadPackageExitCode(OsHandle hProcess, uint32_t* pnExitCode);
// Asks the system not to sleep while a package writes firmware, or releases it.
void KeepSystemAwake(bool bAwake);
// Whether the machine runs on its battery (the AC line is reported offline);
// false when the system cannot tell.
bool IsOnBatteryPower();

// ---- Updaters checked before they run ---------------------------------------

// Opens an updater file for reading, denying every other writer and delete
// (a rename included), so that the file checked is the file started. On
// failure *pnError is the system's error number.
OsHandle OpenPackageFile(const DriveText& strPath, uint32_t* pnError);
void ClosePackageFile(OsHandle hFile);
// The SHA-256 of the whole file read through hFile, 64 lower-case hex digits;
// empty when it cannot be read.
DriveText HashPackageFile(OsHandle hFile);

const int SIGNATURE_VALID = 0;
const int SIGNATURE_NONE = 1;     // the file carries no signature
const int SIGNATURE_INVALID = 2;  // it carries one that does not verify
// The file's Authenticode signature, read through hFile (strPath names it):
// the whole chain, revocation only from what the machine already holds, so
// that an offline machine can still verify. For a valid signature
// *pstrSigner is the signing certificate's simple display name; *pnStatus
// is the system's answer.
int CheckPackageSignature(OsHandle hFile, const DriveText& strPath, DriveText* pstrSigner, uint32_t* pnStatus);
// Starts the executable at strPath itself (no shell, no search path) with
// strArguments after its quoted path, in strFolder. Its process, and every
// process it starts, count as an update run going on (TakeUpdateLock) until
// they have all ended, whatever becomes of this program.
bool StartPackageExecutable(const DriveText& strPath, const DriveText& strArguments, const DriveText& strFolder,
                            OsHandle* phProcess);
const uint32_t PACKAGE_WAIT_FOREVER = 0xFFFFFFFF;
// Waits at most nMilliseconds; true when the process has ended.
bool WaitForPackageProcessFor(OsHandle hProcess, uint32_t nMilliseconds);
// Milliseconds since some fixed moment, never going back.
uint64_t ReadMonotonicMilliseconds();
// The whole of a small file (a list of checksums); false when it cannot be read.
bool ReadSmallFile(const DriveText& strPath, std::string* pstrBytes);

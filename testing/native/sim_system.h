#pragma once
// The rest of the operating system, simulated for the native tests: module,
// console, string table, message boxes, current directory and processes.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/drive_text.h"
#include "platform/platform.h"
#include "platform/update_lock_rule.h"

struct SimBox {
    DriveText strText;
    DriveText strCaption;
    uint32_t nKind;
};

struct SimFile {
    DriveText strName;
    bool bDirectory;
    bool bStarts;            // its default action starts a process
    uint32_t nExitCode = 0;  // the exit code of that process
    DriveText strSha256;     // what hashing it gives; by default one of its own
    int nSignature = 0;      // SIGNATURE_..., valid by default
    DriveText strSigner = L"KDR Vendor";
    uint32_t nRunMilliseconds = 0;  // how long its process runs
    bool bHangs = false;            // its process never ends
    bool bLocked = false;           // another process holds it open
};

extern bool g_bSimHasModule;
extern bool g_bSimHasConsole;
extern uint32_t g_nSimErrorMode;
extern DriveText g_strSimConsoleOut;
extern int g_nSimConsoleReads;
extern uint32_t g_nSimUiLanguage;  // 1033 or 1041
extern std::vector<SimBox> g_aSimBoxes;
extern std::deque<int> g_anSimBoxAnswers;  // answers in order; OK when empty
// Called while a box is open, before it is answered.
extern void (*g_pfnSimWhileBoxOpen)(const SimBox& box);
// Called while a started updater runs, as a person or another program might act.
extern void (*g_pfnSimWhileUpdaterRuns)();
extern DriveText g_strSimCurrentDirectory;
extern std::vector<SimFile> g_aSimFiles;  // the listing, in its order
extern bool g_bSimAwake;
extern DriveText g_strSimErrorOut;
extern std::map<DriveText, std::string> g_mapSimWrittenFiles;  // whole files written, by path
extern bool g_bSimFilesWritable;
extern std::map<DriveText, std::string> g_mapSimAppendedFiles;  // files appended to, by path
extern DriveText g_strSimUtcTime;
extern bool g_bSimElevated;
extern bool g_bSimWindowStationVisible;
extern int g_nSimUpdateLock;            // UPDATE_LOCK_..., what taking the lock comes to
extern uint32_t g_nSimUpdateLockError;  // the error of UPDATE_LOCK_FAILED
extern bool g_bSimOnBattery;
extern SystemFacts g_simSystemFacts;                         // what ReadSystemFacts answers
extern uint64_t g_nSimMilliseconds;                          // the monotonic clock
extern std::map<DriveText, std::string> g_mapSimSmallFiles;  // files that can be read, by path
extern std::vector<DriveText> g_astrSimRemovedFiles;         // files removed, in order

// The registry under HKEY_LOCAL_MACHINE: keys by path, values by name.
struct SimRecordValue {
    bool bNumber;
    DriveText strText;
    uint32_t nNumber;
};
struct SimRecordKey {
    bool bVolatile;
    std::map<DriveText, SimRecordValue> mapValues;
};
extern std::map<DriveText, SimRecordKey> g_mapSimRecordKeys;
extern uint32_t g_nSimRecordError;  // non-zero: every write fails with it
// What a start of Windows does to the registry: the volatile keys go.
void RestartSimWindows();

// Puts every simulated piece, the drives included, back to its start.
void ResetSimSystem();
SimFile MakeSimFile(const DriveText& strName, bool bDirectory = false, bool bStarts = true, uint32_t nExitCode = 0);
// Adds MakeSimFile's file to the end of the listing.
void AddSimFile(const DriveText& strName, bool bDirectory = false, bool bStarts = true, uint32_t nExitCode = 0);
std::string NarrowSimText(const DriveText& strText);

#include "platform/win32/updater_job.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/update_lock_rule.h"

static const wchar_t UPDATER_JOB_NAME[] = L"Global\\fwlaunch-updaters";
static const wchar_t RUN_OBJECT_SDDL[] = L"O:BAD:(A;;GA;;;SY)(A;;GA;;;BA)";

static bool g_bJoined = false;

PSECURITY_DESCRIPTOR MakeRunObjectDescriptor()
{
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(RUN_OBJECT_SDDL, SDDL_REVISION_1, &pDescriptor, nullptr))
        return nullptr;
    return pDescriptor;
}

int ReadRunObjectOwner(HANDLE hObject)
{
    PSID pOwner = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (GetSecurityInfo(hObject, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &pOwner, nullptr, nullptr, nullptr,
                        &pDescriptor) != ERROR_SUCCESS)
        return LOCK_OWNER_UNREADABLE;
    int nOwner = LOCK_OWNER_OTHER;
    if (pOwner != nullptr && IsWellKnownSid(pOwner, WinBuiltinAdministratorsSid))
        nOwner = LOCK_OWNER_ADMINISTRATORS;
    else if (pOwner != nullptr && IsWellKnownSid(pOwner, WinLocalSystemSid))
        nOwner = LOCK_OWNER_SYSTEM;
    LocalFree(pDescriptor);
    return nOwner;
}

static bool IsMadeByRun(HANDLE hObject)
{
    int nOwner = ReadRunObjectOwner(hObject);
    return nOwner == LOCK_OWNER_ADMINISTRATORS || nOwner == LOCK_OWNER_SYSTEM;
}

// Creates the job, or opens it when a live run made it; a job of that name
// made by anyone else is left alone for one of this run's own.
static HANDLE OpenOrCreateUpdaterJob()
{
    SECURITY_ATTRIBUTES security;
    ZeroMemory(&security, sizeof(security));
    security.nLength = sizeof(security);
    security.lpSecurityDescriptor = MakeRunObjectDescriptor();
    HANDLE hJob = CreateJobObjectW(&security, UPDATER_JOB_NAME);
    if (hJob == nullptr || !IsMadeByRun(hJob)) {
        if (hJob != nullptr)
            CloseHandle(hJob);
        hJob = CreateJobObjectW(&security, nullptr);
    }
    if (security.lpSecurityDescriptor != nullptr)
        LocalFree(security.lpSecurityDescriptor);
    return hJob;
}

// The machine's job, when a run made it.
static HANDLE OpenRunJob(DWORD nAccess)
{
    HANDLE hJob = OpenJobObjectW(nAccess | READ_CONTROL, FALSE, UPDATER_JOB_NAME);
    if (hJob != nullptr && !IsMadeByRun(hJob)) {
        CloseHandle(hJob);
        return nullptr;
    }
    return hJob;
}

bool IsUpdaterJobActive()
{
    HANDLE hJob = OpenRunJob(JOB_OBJECT_QUERY);
    if (hJob == nullptr)
        return false;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
    ZeroMemory(&info, sizeof(info));
    // A job that cannot be read counts as live: no second updater unguarded.
    bool bActive =
        !QueryInformationJobObject(hJob, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr) ||
        info.ActiveProcesses > 0;
    CloseHandle(hJob);
    return bActive;
}

static void HandJobTo(HANDLE hJob, HANDLE hProcess)
{
    HANDLE hRemote = nullptr;
    DuplicateHandle(GetCurrentProcess(), hJob, hProcess, &hRemote, JOB_OBJECT_QUERY, FALSE, 0);
}

// Puts the process into the job, unless it is there already, and gives it
// a handle to the job.
static bool PlaceInJob(HANDLE hProcess, bool bAlreadyInJob)
{
    HANDLE hJob = OpenOrCreateUpdaterJob();
    if (hJob == nullptr)
        return false;
    bool bInJob = bAlreadyInJob || AssignProcessToJobObject(hJob, hProcess);
    if (bInJob && hProcess != GetCurrentProcess())
        HandJobTo(hJob, hProcess);
    CloseHandle(hJob);
    return bInJob;
}

bool TrackSuspendedProcess(HANDLE hProcess)
{
    return PlaceInJob(hProcess, false);
}

void JoinUpdaterJob()
{
    if (!g_bJoined)
        g_bJoined = PlaceInJob(GetCurrentProcess(), false);
}

void TrackStartedProcess(HANDLE hProcess)
{
    PlaceInJob(hProcess, g_bJoined);
}

void HandUpdaterJobToItsProcesses()
{
    HANDLE hJob = OpenRunJob(JOB_OBJECT_QUERY);
    if (hJob == nullptr)
        return;
    // Room for the header and a generous number of identifiers.
    std::vector<ULONG_PTR> aList(2 + 256);
    auto* pList = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(aList.data());
    if (QueryInformationJobObject(hJob, JobObjectBasicProcessIdList, pList,
                                  static_cast<DWORD>(aList.size() * sizeof(ULONG_PTR)), nullptr)) {
        DWORD nOwnId = GetCurrentProcessId();
        for (DWORD i = 0; i < pList->NumberOfProcessIdsInList; ++i) {
            DWORD nId = static_cast<DWORD>(pList->ProcessIdList[i]);
            HANDLE hProcess = nId == nOwnId ? nullptr : OpenProcess(PROCESS_DUP_HANDLE, FALSE, nId);
            if (hProcess != nullptr) {
                HandJobTo(hJob, hProcess);
                CloseHandle(hProcess);
            }
        }
    }
    CloseHandle(hJob);
}

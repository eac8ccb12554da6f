#include "platform/win32/updater_job.h"

#include <sddl.h>

#include <vector>

static const wchar_t UPDATER_JOB_NAME[] = L"Global\\fwlaunch-updaters";
static const wchar_t RUN_OBJECT_SDDL[] = L"D:(A;;GA;;;SY)(A;;GA;;;BA)";

static bool g_bJoined = false;

PSECURITY_DESCRIPTOR MakeRunObjectDescriptor()
{
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(RUN_OBJECT_SDDL, SDDL_REVISION_1, &pDescriptor, nullptr))
        return nullptr;
    return pDescriptor;
}

// Creates the job, or opens it when a live run made it.
static HANDLE OpenOrCreateUpdaterJob()
{
    SECURITY_ATTRIBUTES security;
    ZeroMemory(&security, sizeof(security));
    security.nLength = sizeof(security);
    security.lpSecurityDescriptor = MakeRunObjectDescriptor();
    HANDLE hJob = CreateJobObjectW(&security, UPDATER_JOB_NAME);
    if (security.lpSecurityDescriptor != nullptr)
        LocalFree(security.lpSecurityDescriptor);
    return hJob;
}

bool IsUpdaterJobActive()
{
    HANDLE hJob = OpenJobObjectW(JOB_OBJECT_QUERY, FALSE, UPDATER_JOB_NAME);
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
    HANDLE hJob = OpenJobObjectW(JOB_OBJECT_QUERY, FALSE, UPDATER_JOB_NAME);
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

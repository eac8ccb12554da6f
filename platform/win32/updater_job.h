#pragma once
// The machine's updater job: every updater that a run starts, and every
// process one of them starts, belongs to it. The update run counts as going
// on while it has a live process, even when the program that started them
// has ended or been ended.
#include <windows.h>

// SYSTEM and the administrators may open the run's objects, whoever made
// them first, and the administrators own them. Free the descriptor with LocalFree.
PSECURITY_DESCRIPTOR MakeRunObjectDescriptor();
// The owner of a named object, LOCK_OWNER_... (platform/update_lock_rule.h):
// only an object an administrator or SYSTEM made belongs to a run.
int ReadRunObjectOwner(HANDLE hObject);
// Whether a process of the job is alive. A job of that name that no
// administrator made counts for nothing.
bool IsUpdaterJobActive();
// Puts a process started suspended into the job before it runs a single
// instruction, so that whatever it starts belongs to the job too. Where
// the name is held by an object no administrator made, the process goes
// into a job of this run's own, which no later run can see.
bool TrackSuspendedProcess(HANDLE hProcess);
// The calling program joins the job before it starts a package through the
// shell, whose process then belongs to the job from its start. Where that
// cannot be (a system without nested jobs), the started process is put
// into the job as soon as it is known.
void JoinUpdaterJob();
void TrackStartedProcess(HANDLE hProcess);
// Gives every live process of the job a handle to it. A job's name lasts
// only as long as somebody holds a handle to it: its processes hold one, so
// that a later run still finds it after this program has gone.
void HandUpdaterJobToItsProcesses();

#include "platform/platform.h"
#include "probe/probe_main.h"

int wmain(int argc, wchar_t** argv)
{
    // Run from download folders as the launcher is: no library from there,
    // and no system dialog for a letter without a medium.
    RestrictLibraryLoading();
    AddProcessErrorMode(PROCESS_ERROR_MODE_QUIET);
    return RunProbe(argc, argv);
}

#include "deploy/deploy_main.h"
#include "platform/platform.h"

int wmain(int argc, wchar_t** argv)
{
    // Started from a folder of vendor files, as the launcher is: no library
    // from there, and no system dialog for a letter without a medium, which
    // nobody would see to close.
    RestrictLibraryLoading();
    AddProcessErrorMode(PROCESS_ERROR_MODE_QUIET);
    return RunDeploy(argc, argv);
}

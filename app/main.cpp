#include "app/entry.h"
#include "platform/platform.h"

int wmain(int argc, wchar_t** argv)
{
    // Users start the launcher from download folders full of vendor files:
    // no library may come from there.
    RestrictLibraryLoading();
    return RunLauncher(argc, argv);
}

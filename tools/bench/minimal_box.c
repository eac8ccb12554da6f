/* The reference for start-up cost: a console program that only shows one box. */
#include <windows.h>

int wmain(void)
{
    MessageBoxW(NULL, L"minimal", L"minimal", MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

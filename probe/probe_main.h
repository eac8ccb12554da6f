#pragma once
// fwprobe TAG NEWEST_REV [--json] [--capture FILE]: exit status 0 when no
// target is outdated, 1 when one is, 2 for a usage error (nothing touched).
const int PROBE_EXIT_NONE_OUTDATED = 0;
const int PROBE_EXIT_OUTDATED = 1;
const int PROBE_EXIT_USAGE = 2;

int RunProbe(int argc, const wchar_t* const* argv);

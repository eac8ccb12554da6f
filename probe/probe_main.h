#pragma once
// fwprobe TAG NEWEST_REV [--json] [--capture FILE]: exit status 0 when no
// target is outdated, 1 when one is, 2 for a usage error (nothing touched),
// 3 when none is but a volume refused to open (the answer is incomplete),
// 4 while an update run goes on (no drive touched).
const int PROBE_EXIT_NONE_OUTDATED = 0;
const int PROBE_EXIT_OUTDATED = 1;
const int PROBE_EXIT_USAGE = 2;
const int PROBE_EXIT_INCOMPLETE = 3;
const int PROBE_EXIT_BUSY = 4;

int RunProbe(int argc, const wchar_t* const* argv);

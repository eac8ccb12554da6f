#pragma once
// The run from the command line to the exit status.

// argv as the runtime split the command line; argument 1 is the identity tag,
// argument 2 the newest firmware revision. Returns the exit status.
int RunLauncher(int argc, const wchar_t* const* argv);

#pragma once
// fwdeploy TAG NEWEST_REV --yes [--json] [--report FILE] [--log FILE]: the
// launcher's update run without a box, for deployment engines. Exit status
// 0 done or nothing to do, 3010 a restart is needed, 1 a target still
// outdated, 2 usage, 5 not elevated, 1618 another update run is going on.
int RunDeploy(int argc, const wchar_t* const* argv);

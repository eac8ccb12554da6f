#pragma once
// fwdeploy TAG NEWEST_REV --yes [options]: the launcher's update run without
// a box, for deployment engines, with updaters it checks before they run.
// Exit status 0 done or nothing to do, 3010 a restart is needed, 1 a target
// still outdated or an updater still running, 2 usage, 5 not elevated, 1618
// another update run is going on or the machine runs on its battery.
int RunDeploy(int argc, const wchar_t* const* argv);

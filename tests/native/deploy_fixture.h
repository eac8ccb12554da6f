#pragma once
// fwdeploy over the simulated drives and folder, run as an engine runs it.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "deploy/deploy_main.h"
#include "deploy/deploy_result.h"
#include "tests/native/sim_fixture.h"

class DeployTest : public SimTest {
protected:
    static int RunDeployWith(std::vector<const wchar_t*> apszArgs)
    {
        apszArgs.insert(apszArgs.begin(), L"fwdeploy.exe");
        int argc = static_cast<int>(apszArgs.size());
        apszArgs.push_back(nullptr);
        return RunDeploy(argc, apszArgs.data());
    }
    static int RunJson() { return RunDeployWith({L"ACME", L"1.10", L"--yes", L"--json"}); }
    static nlohmann::json Document() { return nlohmann::json::parse(NarrowSimText(g_strSimConsoleOut)); }
    static SimDrive OutdatedDrive(const std::string& strDigits, const std::string& strProduct = "ABC-DRIVE")
    {
        SimDrive drive = MakeTargetDrive("KDR " + strDigits + "ACME", strProduct, "1.02");
        drive.strUpdatedBy = strDigits;
        drive.strRevisionAfterUpdate = "1.10";
        return drive;
    }
    static bool AnyDriveOpened() { return !TraceLinesStartingWith("open").empty(); }
    // The updaters fwdeploy started itself.
    static std::vector<std::string> Starts() { return TraceLinesStartingWith("create "); }
    static size_t TraceIndex(const std::string& strPrefix)
    {
        return std::find_if(
                   g_astrSimTrace.begin(), g_astrSimTrace.end(),
                   [&](const std::string& strLine) { return strLine.compare(0, strPrefix.size(), strPrefix) == 0; }) -
               g_astrSimTrace.begin();
    }
};

// Times the drive scan over simulated drives whose every command takes
// latency_ms, against the sum of those command times.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/drive_scan.h"
#include "testing/drives/drive_set.h"
#include "testing/native/sim_system.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s DRIVE-SET-FILE\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    ResetSimSystem();
    std::string strError;
    if (!ParseDriveSet(text.str(), g_aSimDrive, &strError)) {
        fprintf(stderr, "%s:%s\n", argv[1], strError.c_str());
        return 3;
    }
    TargetList list;
    ClearTargetList(&list);
    auto start = std::chrono::steady_clock::now();
    ScanDrives(L"ACME", L"1.10", &list);
    double dScanMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    double dDriveMs = 0;
    for (const std::string& strLine : g_astrSimTrace) {
        if (strLine.compare(0, 5, "send ") == 0)
            dDriveMs += SimDriveAt(strLine[5]).nLatencyMs;
    }
    printf("%.1f %.1f\n", dScanMs, dDriveMs);
    return 0;
}

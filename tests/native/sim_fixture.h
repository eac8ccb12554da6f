#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drive/transport.h"
#include "testing/native/sim_volumes.h"
#include "testing/native/sim_system.h"

// Every test starts on a machine with no drives, no files and no boxes.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CloseDrive();
        ResetSimSystem();
    }
    void TearDown() override { CloseDrive(); }

    static bool StartsWith(const DriveText& strText, const DriveText& strPrefix)
    {
        return strText.compare(0, strPrefix.size(), strPrefix) == 0;
    }

    static std::vector<std::string> TraceLinesStartingWith(const std::string& strPrefix)
    {
        std::vector<std::string> astrLines;
        for (const std::string& strLine : g_astrSimTrace) {
            if (strLine.compare(0, strPrefix.size(), strPrefix) == 0)
                astrLines.push_back(strLine);
        }
        return astrLines;
    }
};

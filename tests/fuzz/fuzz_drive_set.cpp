// The drive-set file: it loads or stops with a "LINE: what" message, and a
// loaded set reads back the same from its written form.
#include <cctype>
#include <string>

#include "testing/drives/drive_set.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t cbData)
{
    std::string strText(reinterpret_cast<const char*>(pbData), cbData);
    static SimDrive aDrives[SIM_LETTERS];
    std::string strError;
    if (!ParseDriveSet(strText, aDrives, &strError)) {
        size_t nColon = strError.find(": ");
        FUZZ_CHECK(nColon != std::string::npos && nColon > 0 && nColon + 2 < strError.size());
        for (size_t i = 0; i < nColon; ++i)
            FUZZ_CHECK(isdigit(static_cast<unsigned char>(strError[i])));
        return 0;
    }
    static SimDrive aBack[SIM_LETTERS];
    std::string strWritten = FormatDriveSet(aDrives);
    FUZZ_CHECK(ParseDriveSet(strWritten, aBack, &strError));
    FUZZ_CHECK(FormatDriveSet(aBack) == strWritten);
    return 0;
}

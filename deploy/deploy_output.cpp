#include "deploy/deploy_output.h"

void WriteDeployLogLine(DeployOutput* pOutput, const DriveText& strLine)
{
    if (pOutput->hLog == OS_INVALID_HANDLE)
        return;
    if (!AppendToFile(pOutput->hLog, Utf8FromText(UtcTimeStamp() + L" " + strLine + L"\r\n")))
        pOutput->bLogFailed = true;
}

void WriteDeployLine(DeployOutput* pOutput, const DriveText& strLine)
{
    if (pOutput->bPlainToStandardOutput)
        WriteConsoleWide(strLine + L"\r\n");
    WriteDeployLogLine(pOutput, strLine);
}

#include "system/DetachedThread.h"

#include "framework/Handles.h"
#include "log/LogSave.h"

bool StartDetachedThread(LPTHREAD_START_ROUTINE proc, void* param, const char* logLine)
{
    if (CHandle(::CreateThread(nullptr, 0, proc, param, 0, nullptr)))
        return true;
    if (logLine)
        LogToolLine(logLine);
    return false;
}

// The forced restart request, observed through the restart logger in place of
// the prefix's wineboot (without it the request would end every process here).
#include <gtest/gtest.h>

#include "system/RepairWorker.h"
#include "tests/support/RestartLogger.h"
#include "tests/support/TestSupport.h"

namespace {

struct CMarker {
    CMarker() { ::SetEnvironmentVariableW(vt::kRestartMarker, vt::RestartLogPath().c_str()); }
    ~CMarker() { ::SetEnvironmentVariableW(vt::kRestartMarker, nullptr); }
};

}  // namespace

TEST(Reboot, RequestsAForcedRestart)
{
    ASSERT_TRUE(vt::InstallRestartLogger());
    struct CRemove { ~CRemove() { vt::RemoveRestartLogger(); } } remove;
    {
        // The logger must be answering before the real request may go out.
        CMarker marker;
        vt::CProcess probe;
        wchar_t sys[MAX_PATH] = {};
        ::GetSystemDirectoryW(sys, MAX_PATH);
        ASSERT_TRUE(probe.Start(std::wstring(sys) + L"\\wineboot.exe", L"--velmora-probe", L"C:\\"));
        ASSERT_TRUE(probe.WaitExit(20000));
        ASSERT_NE(vt::RestartLog().find("--velmora-probe"), std::string::npos) << "restart logger not in place";
        ::DeleteFileW(vt::RestartLogPath().c_str());

        CRepairWorker worker;
        EXPECT_TRUE(worker.RebootSystem());
        EXPECT_TRUE(vt::WaitFor([] { return vt::RestartLog().find("--kill") != std::string::npos; }, 10000))
            << vt::RestartLog();
    }
}

TEST(Reboot, OtherCallersStillReachTheRealWineboot)
{
    ASSERT_TRUE(vt::InstallRestartLogger());
    struct CRemove { ~CRemove() { vt::RemoveRestartLogger(); } } remove;
    wchar_t sys[MAX_PATH] = {};
    ::GetSystemDirectoryW(sys, MAX_PATH);
    vt::CProcess p;
    // Without the marker: handed on; the real one knows --help and ends at once.
    ASSERT_TRUE(p.Start(std::wstring(sys) + L"\\wineboot.exe", L"--help", L"C:\\", {{vt::kRestartMarker, L""}}));
    DWORD code = 99;
    ASSERT_TRUE(p.WaitExit(20000, &code));
    EXPECT_TRUE(vt::RestartLog().empty());
    EXPECT_EQ(code, 0u);
}

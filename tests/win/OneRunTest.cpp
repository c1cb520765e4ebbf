// The one-run mark as this process takes it. Wine has no private namespaces:
// the mark goes under its global name, as on a system without them, where
// anyone can make that name first.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>

#include "app/OneRun.h"
#include "base/Handles.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VelmoraRun.h"

namespace {

const wchar_t* const kGlobalMark = L"Global\\Velmora-OneRun";

// The global mark made by someone else first, with this security.
CHandle MakeMark(const wchar_t* sddl)
{
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
        return CHandle();
    CLocalMemory descriptor(sd);
    SECURITY_ATTRIBUTES sa = {sizeof(sa), sd, FALSE};
    return CHandle(::CreateMutexW(&sa, FALSE, kGlobalMark));
}

std::wstring LogText()
{
    const std::string bytes = vt::ReadFileBytes(vt::ToolLogDir() + L"\\Velmora.txt");
    const int n = ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

}  // namespace

TEST(OneRun, OnlyAMarkOwnedByAdministratorsOrSystemKeepsARunAway)
{
    struct Case {
        const char* what;
        const wchar_t* squat;   // the security of a mark made first; null: none made
        bool taken;
        bool logged;
    } cases[] = {
        {"no mark yet", nullptr, true, false},
        {"another run's mark", L"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)", false, false},
        {"SYSTEM's mark", L"O:SYD:P(A;;GA;;;BA)(A;;GA;;;SY)", false, false},
        // A user's, open to all, or shut to all but its owner.
        {"a user's mark anyone may open", L"D:(A;;GA;;;WD)", true, true},
        {"a user's mark nobody may open", L"D:P", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        vt::ClearToolLog();
        CHandle squatted;
        if (c.squat) {
            squatted = MakeMark(c.squat);
            ASSERT_TRUE(squatted);
        }
        {
            COneRun run;
            EXPECT_EQ(run.Take(), c.taken);
            if (c.taken) {
                // Now this run's: the next one is kept away.
                COneRun second;
                EXPECT_EQ(second.Take(), c.squat != nullptr) << "a second start";
            }
        }
        const std::wstring log = LogText();
        EXPECT_EQ(log.find(L"不属于管理员或 SYSTEM") != std::wstring::npos, c.logged) << vt::Utf8(log);
    }
}

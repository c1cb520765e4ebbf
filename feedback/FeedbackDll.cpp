#include "feedback/FeedbackDll.h"

#include <ctime>
#include <string>
#include <vector>

#include "feedback/TimeText.h"
#include "base/Paths.h"
#include "base/Trust.h"

// The certificates whose library a signed release loads, by their SHA-256,
// as the release was built with them (scripts/build, VELMORA_FEEDBACK_SIGNERS);
// none named: the release's own certificate.
#ifndef VELMORA_FEEDBACK_SIGNERS
#define VELMORA_FEEDBACK_SIGNERS ""
#endif

namespace {

// A list that does not parse names nothing that could match: no library is
// loaded (the build refuses such a list before it gets here).
const std::vector<std::string>& AllowedSigners(bool& usable)
{
    static bool parsed = false;
    static const std::vector<std::string> allowed = [] {
        std::vector<std::string> list;
        parsed = ParseSignerList(VELMORA_FEEDBACK_SIGNERS, list);
        return list;
    }();
    usable = parsed;
    return allowed;
}

}  // namespace

const char* const CFeedbackDll::kExportNames[11] = {
    "InitFreedbackDll", "FeedbackQuestion", "OpenUrl", "GetInterNetState", "CustomerFeedback",
    "CustomerFeedbackEx", "WriteCustomerFeedbackInfoFile", "GetToolIsNewVersion", "GetToolIsNewVersionDown",
    "OpenToolDownUrl", "OpenUseAgreementUrl",
};

int CFeedbackDll::Load()
{
    const std::wstring path = GetExeDir() + L"\\TarnexFeedbackInformation.dll";
    // By its full path, and the libraries it needs from the system folder
    // only: one put beside it under a system library's name is never loaded.
    if (!IsSignedRelease()) {
        m_hModule = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    } else {
        // A signed release loads it only when signed by a certificate the
        // release names, with a chain the system trusts and does not know to
        // be revoked, checked on the file that is then loaded (see
        // base/Trust.h).
        bool usable = false;
        const std::vector<std::string>& allowed = AllowedSigners(usable);
        CHeldFile file;
        ETrust trust = file.Hold(path) ? CheckListedSigner(file, allowed) : ETrust::Unreadable;
        if (!usable && trust == ETrust::Trusted)
            trust = ETrust::UnlistedSigner;
        if (trust != ETrust::Trusted) {
            m_strRefusal = RefusedFileLine(trust, path);
            return 0;
        }
        m_hModule = ::LoadLibraryExW(file.Path().c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }

    FARPROC* slots[11] = {
        reinterpret_cast<FARPROC*>(&m_pfnInitFreedbackDll), &m_pfnFeedbackQuestion, &m_pfnOpenUrl,
        &m_pfnGetInterNetState, &m_pfnCustomerFeedback, reinterpret_cast<FARPROC*>(&m_pfnCustomerFeedbackEx),
        &m_pfnWriteCustomerFeedbackInfoFile, reinterpret_cast<FARPROC*>(&m_pfnGetToolIsNewVersion),
        &m_pfnGetToolIsNewVersionDown, reinterpret_cast<FARPROC*>(&m_pfnOpenToolDownUrl), &m_pfnOpenUseAgreementUrl,
    };
    for (int i = 0; i < 11; ++i) {
        *slots[i] = m_hModule ? ::GetProcAddress(m_hModule, kExportNames[i]) : nullptr;
        if (!*slots[i])
            return 0;
    }
    m_bBound = true;
    return 1;
}

int CFeedbackDll::InitFreedbackDll(FeedbackInitInfo* info) const
{
    return m_pfnInitFreedbackDll ? m_pfnInitFreedbackDll(info) : 0;
}

int CFeedbackDll::CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int kind, wchar_t* timeText) const
{
    return m_bBound ? m_pfnCustomerFeedbackEx(toolId, version, kind, timeText) : 0;
}

int CFeedbackDll::ReportCustomerFeedback(const wchar_t* toolId, const wchar_t* version, int kind) const
{
    wchar_t timeText[kFeedbackTimeChars] = {};
    const std::wstring now = CurrentFeedbackTime();
    now.copy(timeText, kFeedbackTimeChars - 1);
    return CustomerFeedbackEx(toolId, version, kind, timeText);
}

int CFeedbackDll::GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version) const
{
    return m_bBound ? m_pfnGetToolIsNewVersion(toolId, version) : 0;
}

int CFeedbackDll::OpenToolDownUrl() const
{
    return m_bBound ? m_pfnOpenToolDownUrl() : 0;
}

std::wstring CurrentFeedbackTime()
{
    return FormatFeedbackTime(static_cast<int64_t>(_time64(nullptr)));
}

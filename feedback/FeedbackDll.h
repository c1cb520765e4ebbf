// Binding of the feedback and update library that ships beside the program.
#pragma once
#include <windows.h>

#include <string>

// Handed to "InitFreedbackDll": the library receives the string objects
// themselves, laid out as this toolchain lays out std::wstring (mingw-w64 g++
// with libstdc++, x64: per object a pointer to its NUL-terminated characters,
// its length, a 16-byte buffer for up to seven characters in place; 32 bytes
// each, 192 in all). A library built with another toolchain must read the
// record in that layout, not as its own string type, and must not change it.
struct FeedbackInitInfo {
    std::wstring m_strInfo1;
    std::wstring m_strInfo2;
    std::wstring m_strInfo3;
    std::wstring m_strInfo4;
    std::wstring m_strInfo5;
    std::wstring m_strInfo6;
};

extern "C" {
typedef int (*PFN_InitFreedbackDll)(FeedbackInitInfo* info);
typedef int (*PFN_CustomerFeedbackEx)(const wchar_t* toolId, const wchar_t* version, int kind, wchar_t* timeText);
typedef int (*PFN_GetToolIsNewVersion)(const wchar_t* toolId, const wchar_t* version);
typedef int (*PFN_OpenToolDownUrl)();
}

class CFeedbackDll {
public:
    // 1 when the library in the program's folder loaded and all eleven entry
    // points resolved, else 0. The library is never unloaded.
    [[nodiscard]] int Load();
    bool IsBound() const { return m_bBound; }
    // After Load returned 0 in a signed release: the log line (UTF-8) that
    // names the library and why it was not loaded; empty otherwise.
    const std::string& Refusal() const { return m_strRefusal; }

    [[nodiscard]] int InitFreedbackDll(FeedbackInitInfo* info) const;
    int CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int kind, wchar_t* timeText) const;
    // "CustomerFeedbackEx" with the current time as its text, made fresh in a
    // writable buffer of kFeedbackTimeChars wide characters: a library that
    // writes an answer back into it cannot run past its end.
    int ReportCustomerFeedback(const wchar_t* toolId, const wchar_t* version, int kind) const;
    int GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version) const;
    int OpenToolDownUrl() const;

    // Export names in binding order.
    static const char* const kExportNames[11];

private:
    HMODULE m_hModule = nullptr;
    PFN_InitFreedbackDll m_pfnInitFreedbackDll = nullptr;
    FARPROC m_pfnFeedbackQuestion = nullptr;
    FARPROC m_pfnOpenUrl = nullptr;
    FARPROC m_pfnGetInterNetState = nullptr;
    FARPROC m_pfnCustomerFeedback = nullptr;
    PFN_CustomerFeedbackEx m_pfnCustomerFeedbackEx = nullptr;
    FARPROC m_pfnWriteCustomerFeedbackInfoFile = nullptr;
    PFN_GetToolIsNewVersion m_pfnGetToolIsNewVersion = nullptr;
    FARPROC m_pfnGetToolIsNewVersionDown = nullptr;
    PFN_OpenToolDownUrl m_pfnOpenToolDownUrl = nullptr;
    FARPROC m_pfnOpenUseAgreementUrl = nullptr;
    bool m_bBound = false;
    std::string m_strRefusal;
};

// The current time as the feedback library expects it (fresh per call).
std::wstring CurrentFeedbackTime();

// Size, in wide characters, of the buffer the time text is handed in.
const size_t kFeedbackTimeChars = 64;

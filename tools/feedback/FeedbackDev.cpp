// Development feedback library.
//
// Answers come from "feedback-answers.txt", journal lines go to
// "feedback-calls.txt", both in the folder named by the environment variable
// VELMORA_FEEDBACK_DIR, else in the library's own folder. Answers file, one
// "name=value" per line (missing file or key: the default):
//     InitFreedbackDll=1         result of InitFreedbackDll
//     GetToolIsNewVersion=0      result of GetToolIsNewVersion (3: a newer tool exists)
//     CustomerFeedbackExWriteBack=0  after the call is recorded, write this many
//                                characters and a NUL into its time text (a
//                                library that answers through the buffer)
// Journal: one UTF-8 line per call, "<export>|<arg>|<arg>...".
//
// Like the maker's library, it depends on a system library that is not one
// of the system's known libraries (winhttp.dll, which it only asks whether it
// is supported), so the tests can show where the program lets its
// dependencies come from. (Not version.dll: under wine, the system's own
// user32 imports that one at every program's start, from the program's folder.)
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "feedback/FeedbackDll.h"
#include "base/Handles.h"

namespace {

HMODULE g_hSelf = nullptr;

std::wstring DataDir()
{
    wchar_t buf[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"VELMORA_FEEDBACK_DIR", buf, MAX_PATH) > 0)
        return buf;
    ::GetModuleFileNameW(g_hSelf, buf, MAX_PATH);
    std::wstring p(buf);
    return p.substr(0, p.find_last_of(L'\\'));
}

std::string Utf8(const wchar_t* s)
{
    if (!s)
        return "(null)";
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s, -1, &out[0], n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

void Journal(const std::string& line)
{
    std::wstring path = DataDir() + L"\\feedback-calls.txt";
    CFileHandle h(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, 0, nullptr));
    if (!h)
        return;
    std::string text = line + "\r\n";
    DWORD n = 0;
    ::WriteFile(h.Get(), text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
}

int Answer(const char* key, int fallback)
{
    std::wstring path = DataDir() + L"\\feedback-answers.txt";
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return fallback;
    char line[256];
    int value = fallback;
    const size_t keyLen = strlen(key);
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, key, keyLen) == 0 && line[keyLen] == '=')
            value = atoi(line + keyLen + 1);
    }
    fclose(f);
    return value;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE h, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_hSelf = h;
    return TRUE;
}

extern "C" {

int InitFreedbackDll(FeedbackInitInfo* info)
{
    ::WinHttpCheckPlatform();
    int fields = 0;
    if (info) {
        for (const std::wstring* s : {&info->m_strInfo1, &info->m_strInfo2, &info->m_strInfo3, &info->m_strInfo4,
                                      &info->m_strInfo5, &info->m_strInfo6})
            fields += s->empty() ? 0 : 1;
    }
    Journal("InitFreedbackDll|" + std::string(info ? "record" : "null") + "|" + std::to_string(fields));
    return Answer("InitFreedbackDll", 1);
}

int CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int kind, wchar_t* timeText)
{
    Journal("CustomerFeedbackEx|" + Utf8(toolId) + "|" + Utf8(version) + "|" + std::to_string(kind) + "|" +
            Utf8(timeText));
    const int writeBack = Answer("CustomerFeedbackExWriteBack", 0);
    if (timeText && writeBack > 0) {
        for (int i = 0; i < writeBack; ++i)
            timeText[i] = L'9';
        timeText[writeBack] = L'\0';
    }
    return 1;
}

int GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version)
{
    Journal("GetToolIsNewVersion|" + Utf8(toolId) + "|" + Utf8(version));
    return Answer("GetToolIsNewVersion", 0);
}

int OpenToolDownUrl()
{
    Journal("OpenToolDownUrl");
    return 1;
}

// Bound by the program but never called: they only record that they were.
int FeedbackQuestion() { Journal("FeedbackQuestion"); return 0; }
int OpenUrl() { Journal("OpenUrl"); return 0; }
int GetInterNetState() { Journal("GetInterNetState"); return 0; }
int CustomerFeedback() { Journal("CustomerFeedback"); return 0; }
int WriteCustomerFeedbackInfoFile() { Journal("WriteCustomerFeedbackInfoFile"); return 0; }
int GetToolIsNewVersionDown() { Journal("GetToolIsNewVersionDown"); return 0; }
#ifndef FEEDBACK_DEV_INCOMPLETE
int OpenUseAgreementUrl() { Journal("OpenUseAgreementUrl"); return 0; }
#endif

}  // extern "C"

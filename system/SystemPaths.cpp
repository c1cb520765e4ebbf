#include "system/RepairWorker.h"

std::string WideToAnsi(const wchar_t* text)
{
    int n = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
    out[static_cast<size_t>(n) - 1] = '\0';
    return std::string(out.c_str());
}

std::string WideToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int len = static_cast<int>(text.size());
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), len, &out[0], n, nullptr, nullptr);
    return out;
}

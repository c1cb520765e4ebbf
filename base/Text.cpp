#include "base/Text.h"

#include <climits>

std::wstring ToWide(const std::string& bytes, UINT codePage)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return {};
    const int len = static_cast<int>(bytes.size());
    const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), len, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    const int got = ::MultiByteToWideChar(codePage, 0, bytes.data(), len, &out[0], n);
    out.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return out;
}

std::string FromWide(const std::wstring& text, UINT codePage)
{
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int len = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    const int got = ::WideCharToMultiByte(codePage, 0, text.data(), len, &out[0], n, nullptr, nullptr);
    out.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return out;
}

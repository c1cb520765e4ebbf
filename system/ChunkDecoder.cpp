#include "system/ChunkDecoder.h"

namespace {

void Convert(UINT codePage, const char* bytes, size_t length, std::wstring& out)
{
    const int n = static_cast<int>(length);
    const int wide = n > 0 ? ::MultiByteToWideChar(codePage, 0, bytes, n, nullptr, 0) : 0;
    if (wide <= 0)
        return;
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(wide));
    ::MultiByteToWideChar(codePage, 0, bytes, n, &out[at], wide);
}

}  // namespace

CChunkDecoder::CChunkDecoder(UINT codePage)
    : m_nCodePage(codePage == CP_ACP ? ::GetACP() : codePage), m_bUtf8(m_nCodePage == CP_UTF8)
{
    CPINFO info = {};
    if (!::GetCPInfo(m_nCodePage, &info))
        return;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
        for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
            m_leadBytes[static_cast<size_t>(b)] = true;
}

// How many of the pending bytes make whole characters.
size_t CChunkDecoder::CompleteLength() const
{
    const std::string& s = m_strPending;
    if (m_bUtf8) {
        size_t start = s.size();   // of the last sequence
        while (start > 0 && s.size() - start < 3 && (static_cast<unsigned char>(s[start - 1]) & 0xC0) == 0x80)
            --start;
        if (start == 0)
            return s.size();
        const unsigned char lead = static_cast<unsigned char>(s[start - 1]);
        const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        return s.size() - (start - 1) < need ? start - 1 : s.size();
    }
    // A byte in the lead range may be a second byte, so walk from a known
    // character start: the pending bytes begin with one.
    size_t i = 0;
    while (i < s.size())
        i += m_leadBytes[static_cast<unsigned char>(s[i])] ? 2 : 1;
    return i > s.size() ? s.size() - 1 : s.size();
}

void CChunkDecoder::Append(const char* bytes, size_t length, std::wstring& out)
{
    m_strPending.append(bytes, length);
    const size_t whole = CompleteLength();
    Convert(m_nCodePage, m_strPending.data(), whole, out);
    m_strPending.erase(0, whole);
}

void CChunkDecoder::Finish(std::wstring& out)
{
    Convert(m_nCodePage, m_strPending.data(), m_strPending.size(), out);
    m_strPending.clear();
}

// A command's narrow output converted to UTF-16 as it arrives, chunk by
// chunk, without splitting a character whose bytes fall into two chunks.
#pragma once
#include <windows.h>

#include <array>
#include <string>

class CChunkDecoder {
public:
    // codePage: the code page the command writes in (CP_ACP for the
    // system's narrow code page).
    explicit CChunkDecoder(UINT codePage);

    // Appends to out what is complete of the bytes (after any carried over
    // from the last chunk); an unfinished character waits for the next one.
    // NUL bytes are kept.
    void Append(const char* bytes, size_t length, std::wstring& out);
    // The output has ended: an unfinished character is converted as it is.
    void Finish(std::wstring& out);

private:
    size_t CompleteLength() const;

    UINT m_nCodePage;
    bool m_bUtf8;
    std::array<bool, 256> m_leadBytes{};
    std::string m_strPending;
};

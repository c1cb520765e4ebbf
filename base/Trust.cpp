#include "base/Trust.h"

#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <vector>

#include "base/InFolder.h"
#include "base/Paths.h"
#include "base/RunningImage.h"
#include "base/Text.h"

namespace {

const IMAGE_NT_HEADERS* NtHeaders(const BYTE* base, size_t size)
{
    if (size < sizeof(IMAGE_DOS_HEADER))
        return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0 ||
        static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS) > size)
        return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC ||
        nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_SECURITY)
        return nullptr;
    return nt;
}

const IMAGE_NT_HEADERS* ImageHeaders()
{
    const BYTE* base = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
    // The headers of a mapped image are as long as its file's.
    return base ? NtHeaders(base, 4096) : nullptr;
}

}  // namespace

bool IsOwnImage(HANDLE file)
{
    BYTE head[4096] = {};
    DWORD got = 0;
    OVERLAPPED at = {};
    const IMAGE_NT_HEADERS* image = ImageHeaders();
    if (!image || !::ReadFile(file, head, sizeof(head), &got, &at))
        return false;
    const IMAGE_NT_HEADERS* disk = NtHeaders(head, got);
    if (!disk)
        return false;
    const IMAGE_DATA_DIRECTORY& a = image->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
    const IMAGE_DATA_DIRECTORY& b = disk->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
    return image->FileHeader.TimeDateStamp == disk->FileHeader.TimeDateStamp &&
           image->OptionalHeader.CheckSum == disk->OptionalHeader.CheckSum &&
           image->OptionalHeader.SizeOfImage == disk->OptionalHeader.SizeOfImage &&
           image->OptionalHeader.AddressOfEntryPoint == disk->OptionalHeader.AddressOfEntryPoint &&
           a.VirtualAddress == b.VirtualAddress && a.Size == b.Size;
}

namespace {

// A check of the open file that shows nothing and fetches nothing from the
// network (only what the system already holds), with the revocation asked for.
WINTRUST_DATA TrustQuery(WINTRUST_FILE_INFO& info, HANDLE file, const std::wstring& path, DWORD revocation,
                         DWORD flags)
{
    info = {};
    info.cbStruct = sizeof(info);
    info.pcwszFilePath = path.c_str();
    info.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = revocation;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = flags | WTD_CACHE_ONLY_URL_RETRIEVAL;
    return data;
}

// The system's signature check of the open file, and the certificate that
// signed it (when the system could tell). Revocation is not asked for and
// nothing is fetched from the network: the check never waits on a server.
LONG Verify(HANDLE file, const std::wstring& path, std::vector<unsigned char>* signer)
{
    WINTRUST_FILE_INFO info;
    WINTRUST_DATA data = TrustQuery(info, file, path, WTD_REVOKE_NONE, WTD_REVOCATION_CHECK_NONE);
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND noWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);
    const LONG result = ::WinVerifyTrust(noWindow, &action, &data);
    if (signer) {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* first = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        CRYPT_PROVIDER_CERT* cert = first ? ::WTHelperGetProvCertFromChain(first, 0) : nullptr;
        if (cert && cert->pCert)
            signer->assign(cert->pCert->pbCertEncoded, cert->pCert->pbCertEncoded + cert->pCert->cbCertEncoded);
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(noWindow, &action, &data);
    return result;
}

// Whether the system knows a certificate of the file's chain (its root
// aside) to be revoked, from the revocation lists it already holds: none is
// fetched, so the answer never waits on a server, and a chain whose lists
// are not at hand is not taken for revoked.
bool KnownRevoked(HANDLE file, const std::wstring& path)
{
    WINTRUST_FILE_INFO info;
    WINTRUST_DATA data =
        TrustQuery(info, file, path, WTD_REVOKE_WHOLECHAIN, WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT);
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND noWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);
    bool revoked = IsRevokedResult(::WinVerifyTrust(noWindow, &action, &data));
    // The policy answers with one error; the chain says of each certificate.
    CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* first = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    const CERT_CHAIN_CONTEXT* chain = first ? first->pChainContext : nullptr;
    for (DWORD i = 0; chain && i < chain->cChain; ++i)
        for (DWORD j = 0; chain->rgpChain[i] && j < chain->rgpChain[i]->cElement; ++j)
            revoked = revoked || (chain->rgpChain[i]->rgpElement[j]->TrustStatus.dwErrorStatus & CERT_TRUST_IS_REVOKED);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(noWindow, &action, &data);
    return revoked;
}

// The system's verdict and the file's signing certificate.
ETrust VerifyWithSigner(const CHeldFile& file, std::vector<unsigned char>& signer)
{
    return TrustFromVerifyResult(Verify(file.Get(), file.Path(), &signer));
}

// The certificate this program is signed with, read once from its held file.
const std::vector<unsigned char>& OwnSigner()
{
    static const std::vector<unsigned char> signer = [] {
        std::vector<unsigned char> s;
        if (RunningImageFile())
            Verify(RunningImageFile(), RunningImagePath(), &s);
        return s;
    }();
    return signer;
}

// \\?\C:\... -> C:\..., \\?\UNC\server\share\... -> \\server\share\...
std::wstring WithoutLongPrefix(std::wstring path)
{
    if (path.compare(0, 4, L"\\\\?\\") != 0)
        return path;
    path.erase(0, 4);
    if (path.compare(0, 4, L"UNC\\") == 0)
        path.replace(0, 3, L"\\");
    return path;
}

}  // namespace

bool IsSignedRelease()
{
    static const bool signedRelease = [] {
        const IMAGE_NT_HEADERS* nt = ImageHeaders();
        const IMAGE_DATA_DIRECTORY* entry =
            nt ? &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY] : nullptr;
        return entry && entry->VirtualAddress != 0 && entry->Size != 0;
    }();
    return signedRelease;
}

bool CHeldFile::Hold(const std::wstring& path)
{
    Close();
    m_file.Reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (m_file)
        m_strPath = WithoutLongPrefix(FinalPath(m_file.Get()));
    if (m_strPath.empty())
        m_file.Reset();
    return !!m_file;
}

void CHeldFile::Close()
{
    m_file.Reset();
    m_strPath.clear();
}

std::wstring CHeldFile::Folder() const
{
    return FolderOf(m_strPath);
}

ETrust CheckListedSigner(const CHeldFile& file, const std::vector<std::string>& allowed)
{
    std::vector<unsigned char> signer;
    const ETrust trust = VerifyWithSigner(file, signer);
    const bool revoked = trust == ETrust::Trusted && KnownRevoked(file.Get(), file.Path());
    return ListedSignerVerdict(trust, revoked, signer, allowed, OwnSigner());
}

ETrust CheckSameSigner(const CHeldFile& file)
{
    std::vector<unsigned char> signer;
    const ETrust trust = VerifyWithSigner(file, signer);
    const ETrust same = SameSignerVerdict(trust, signer, OwnSigner());
    return same == ETrust::Trusted && KnownRevoked(file.Get(), file.Path()) ? ETrust::Revoked : same;
}

std::string RefusedFileLine(ETrust why, const std::wstring& path)
{
    return RefusedFileLogLine(why, WideToUtf8(path));
}

#include "log/LogFolder.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "base/InFolder.h"

const wchar_t kLogFolderSecurityOwned[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const wchar_t kLogFolderSecurity[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

std::wstring SidText(PSID sid)
{
    CLocalMemory text;
    if (!sid || !::IsValidSid(sid) || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.Out())))
        return {};
    return static_cast<const wchar_t*>(text.Get());
}

SLogAccessEntry EntryOf(const ACE_HEADER* header)
{
    SLogAccessEntry e;
    e.flags = header->AceFlags;
    // Only the kinds whose layout is a mask then a SID are read; any other
    // kind stays unknown, which the rule does not trust.
    switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        e.kind = SLogAccessEntry::kAllow;
        break;
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        e.kind = SLogAccessEntry::kDeny;
        break;
    default:
        return e;
    }
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    e.mask = ace->Mask;
    e.sid = SidText(const_cast<DWORD*>(&ace->SidStart));
    if (e.sid.empty())
        e.kind = SLogAccessEntry::kOther;
    return e;
}

}  // namespace

std::wstring RunningAccount()
{
    CTokenHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Out()))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<unsigned char> buffer(size);
    if (!::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        return {};
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

bool LogFolderSecurityOf(PSECURITY_DESCRIPTOR sd, SLogFolderSecurity& out)
{
    out = SLogFolderSecurity();
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE, present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    if (!sd || !::GetSecurityDescriptorOwner(sd, &owner, &ownerDefaulted) ||
        !::GetSecurityDescriptorDacl(sd, &present, &acl, &defaulted))
        return false;
    out.owner = SidText(owner);
    // No list, or a present but null one: nothing restricts anyone.
    out.hasAccessList = present && acl != nullptr;
    for (DWORD i = 0; out.hasAccessList && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(acl, i, &ace))
            return false;
        out.accessList.push_back(EntryOf(static_cast<const ACE_HEADER*>(ace)));
    }
    return !out.owner.empty();
}

CFileHandle OpenSafeLogFolder(const std::wstring& path)
{
    CFileHandle folder = OpenFolderAsIs(path, READ_CONTROL);
    if (!folder)
        return folder;
    // Read from the held folder itself: what is judged is what is written in.
    CLocalMemory sd;
    SLogFolderSecurity security;
    if (::GetSecurityInfo(folder.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                          nullptr, nullptr, nullptr, nullptr,
                          reinterpret_cast<PSECURITY_DESCRIPTOR*>(sd.Out())) != ERROR_SUCCESS ||
        !LogFolderSecurityOf(sd.Get(), security) || !LogFolderIsSafe(security, RunningAccount()))
        return CFileHandle();
    return folder;
}

// The log folder on disk: held by handle, and judged by who owns it and who
// may write in it before anything is written there.
#pragma once
#include <windows.h>

#include <string>

#include "base/Handles.h"
#include "log/LogRules.h"

// The security of a log folder the tool makes: SYSTEM and Administrators have
// full control, users may read and list, nothing is taken over from the
// parent (the program folder may lie where any user can write). The first
// makes Administrators the owner; the second leaves the owner to the system,
// for a token that cannot give Administrators ownership.
extern const wchar_t kLogFolderSecurityOwned[];
extern const wchar_t kLogFolderSecurity[];

// The account the program runs as, as a SID string (empty if unreadable).
std::wstring RunningAccount();

// Owner and access list of a descriptor; false when it has no owner field or
// cannot be read.
[[nodiscard]] bool LogFolderSecurityOf(PSECURITY_DESCRIPTOR sd, SLogFolderSecurity& out);

// The folder at path, held (see OpenFolderAsIs), when it is a folder of its own
// that is safe to write in (see LogFolderIsSafe); empty otherwise.
[[nodiscard]] CFileHandle OpenSafeLogFolder(const std::wstring& path);

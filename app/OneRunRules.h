// Where the mark of the running run goes, and whose mark counts. No handle:
// the system's answers come in as numbers, an owner as its SID text.
#pragma once
#include <string>

// The mark lives in a private namespace that only a process holding the
// Administrators group can make, where nobody else can make or open it. Only
// where the system has no private namespaces at all (the call is a stub,
// unsupported) does it take a global name instead; a namespace that failed
// for any other reason gives no mark (the run goes on, and the log says why).
enum class EMarkPlace { PrivateNamespace, GlobalName, None };

// namespaceReady: the namespace was made or opened; otherwise error is the
// last error of the call that failed (0 when it set none).
EMarkPlace MarkPlaceFor(bool namespaceReady, unsigned long error);

// A global name can be made first by anyone. An existing global mark is
// another run's only when Administrators or SYSTEM own it (a standard user
// cannot make either the owner); any other (a user's, or one whose owner
// cannot be read: ownerSid empty) is ignored.
bool MarkIsAnotherRuns(const std::wstring& ownerSid);

// The log line (UTF-8) for an ignored mark.
std::string IgnoredMarkLogLine(const std::wstring& name, const std::wstring& ownerSid);

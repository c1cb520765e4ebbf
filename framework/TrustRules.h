// What the tool makes of a file's signature before it loads or runs the file,
// and what it writes when it refuses one. No window and no handle: the
// system's answer comes in as a number, the certificates as bytes.
#pragma once
#include <string>
#include <vector>

// The verdict on one file.
enum class ETrust {
    Trusted,       // signed, unchanged since, by a publisher the system trusts
    Unsigned,      // carries no signature
    Altered,       // changed after it was signed, or its signature is damaged
    Untrusted,     // signed, but the system does not vouch for the signer
                   // (unknown root, expired, revoked, not meant for code, ...)
    OtherSigner,   // trusted, but not signed with this program's own certificate
    OwnUnknown,    // this program's own certificate cannot be read, so nothing matches it
    Unreadable,    // the file cannot be opened
};

// The verdict for a result of the system's signature check (an HRESULT of
// WinVerifyTrust). Anything the system does not answer with success is a
// refusal; only the reason differs.
ETrust TrustFromVerifyResult(long result);

// The verdict for a file that must be signed with this program's own
// certificate: its own verdict, then the signing certificates compared
// (encoded bytes; empty when not read).
ETrust SameSignerVerdict(ETrust fileTrust, const std::vector<unsigned char>& fileSigner,
                         const std::vector<unsigned char>& ownSigner);

// The log line (UTF-8) that names a refused file and says why.
std::string RefusedFileLogLine(ETrust why, const std::string& pathUtf8);

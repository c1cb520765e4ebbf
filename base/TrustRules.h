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
    Revoked,       // trusted, but the system knows a certificate of its chain to be revoked
    UnlistedSigner,   // trusted, but signed by none of the certificates this release names
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

// Whether a result of the system's check with revocation asked for (from
// what the system already holds, never fetched) says a certificate of the
// chain is revoked. Not knowing (no list at hand) is not being revoked.
bool IsRevokedResult(long result);

// The verdict for a file that must be signed by one of the certificates a
// release names (allowed: their SHA-256, as ParseSignerList gives them; none
// named: this program's own certificate only): its own verdict, then whether
// its chain is known to be revoked, then its signing certificate (encoded
// bytes; empty when not read).
ETrust ListedSignerVerdict(ETrust fileTrust, bool revoked, const std::vector<unsigned char>& fileSigner,
                           const std::vector<std::string>& allowed, const std::vector<unsigned char>& ownSigner);

// The SHA-256 of bytes, in lower-case hex.
std::string Sha256Hex(const std::vector<unsigned char>& bytes);

// A list of certificate SHA-256s as a release is built with it: separated by
// blanks, commas or semicolons, each 64 hex digits in any case, with or
// without colons between the pairs (as openssl prints a fingerprint). The
// digests in lower-case hex without colons; false (and nothing) when an entry
// is not a SHA-256.
bool ParseSignerList(const std::string& text, std::vector<std::string>& out);

// The log line (UTF-8) that names a refused file and says why.
std::string RefusedFileLogLine(ETrust why, const std::string& pathUtf8);

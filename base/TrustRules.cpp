#include "base/TrustRules.h"

#include <cstdint>

#include "base/AsciiRules.h"

namespace {
// WinVerifyTrust's answers, by what they say about the file.
const uint32_t kNoSignature = 0x800B0100;        // TRUST_E_NOSIGNATURE
const uint32_t kSubjectFormUnknown = 0x800B0003;  // TRUST_E_SUBJECT_FORM_UNKNOWN: no signable file at all
const uint32_t kBadDigest = 0x80096010;          // TRUST_E_BAD_DIGEST
const uint32_t kCertSignature = 0x80096004;      // TRUST_E_CERT_SIGNATURE
const uint32_t kNoSignerCert = 0x80096002;       // TRUST_E_NO_SIGNER_CERT
const uint32_t kBadMessage = 0x8009200D;         // CRYPT_E_BAD_MSG
const uint32_t kCertRevoked = 0x800B010C;        // CERT_E_REVOKED
const uint32_t kCryptRevoked = 0x80092010;       // CRYPT_E_REVOKED

uint32_t RotateRight(uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
}  // namespace

ETrust TrustFromVerifyResult(long result)
{
    const uint32_t code = static_cast<uint32_t>(result);
    if (code == 0)
        return ETrust::Trusted;
    if (code == kNoSignature || code == kSubjectFormUnknown)
        return ETrust::Unsigned;
    if (code == kBadDigest || code == kCertSignature || code == kNoSignerCert || code == kBadMessage)
        return ETrust::Altered;
    return ETrust::Untrusted;
}

ETrust SameSignerVerdict(ETrust fileTrust, const std::vector<unsigned char>& fileSigner,
                         const std::vector<unsigned char>& ownSigner)
{
    if (fileTrust != ETrust::Trusted)
        return fileTrust;
    if (ownSigner.empty())
        return ETrust::OwnUnknown;
    return fileSigner == ownSigner ? ETrust::Trusted : ETrust::OtherSigner;
}

bool IsRevokedResult(long result)
{
    const uint32_t code = static_cast<uint32_t>(result);
    return code == kCertRevoked || code == kCryptRevoked;
}

ETrust ListedSignerVerdict(ETrust fileTrust, bool revoked, const std::vector<unsigned char>& fileSigner,
                           const std::vector<std::string>& allowed, const std::vector<unsigned char>& ownSigner)
{
    if (fileTrust != ETrust::Trusted)
        return fileTrust;
    if (revoked)
        return ETrust::Revoked;
    if (allowed.empty()) {
        if (ownSigner.empty())
            return ETrust::OwnUnknown;
        return fileSigner == ownSigner ? ETrust::Trusted : ETrust::UnlistedSigner;
    }
    if (fileSigner.empty())
        return ETrust::UnlistedSigner;
    const std::string digest = Sha256Hex(fileSigner);
    for (const std::string& named : allowed)
        if (named == digest)
            return ETrust::Trusted;
    return ETrust::UnlistedSigner;
}

std::string Sha256Hex(const std::vector<unsigned char>& bytes)
{
    static const uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
    };
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::vector<unsigned char> m(bytes);
    const uint64_t bits = static_cast<uint64_t>(bytes.size()) * 8;
    m.push_back(0x80);
    while (m.size() % 64 != 56)
        m.push_back(0);
    for (int i = 7; i >= 0; --i)
        m.push_back(static_cast<unsigned char>(bits >> (i * 8)));
    for (size_t block = 0; block < m.size(); block += 64) {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = (uint32_t(m[block + 4 * i]) << 24) | (uint32_t(m[block + 4 * i + 1]) << 16) |
                   (uint32_t(m[block + 4 * i + 2]) << 8) | uint32_t(m[block + 4 * i + 3]);
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const uint32_t s1 = RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            const uint32_t t1 = hh + (RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25)) +
                                ((e & f) ^ (~e & g)) + k[i] + w[i];
            const uint32_t t2 = (RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22)) +
                                ((a & b) ^ (a & c) ^ (b & c));
            hh = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
    }
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint32_t v : h)
        for (int shift = 28; shift >= 0; shift -= 4)
            out += digits[(v >> shift) & 0xF];
    return out;
}

bool ParseSignerList(const std::string& text, std::vector<std::string>& out)
{
    out.clear();
    std::vector<std::string> parsed;
    std::string entry;
    auto finish = [&]() -> bool {
        if (entry.empty())
            return true;
        std::string digest;
        for (size_t i = 0; i < entry.size(); ++i) {
            const char c = entry[i];
            if (c == ':') {
                // Only between two pairs of digits.
                if (i == 0 || i + 1 == entry.size() || digest.size() % 2 != 0 || entry[i + 1] == ':')
                    return false;
                continue;
            }
            if (!IsHexDigit(c))
                return false;
            digest += LowerAscii(c);
        }
        if (digest.size() != 64)
            return false;
        parsed.push_back(digest);
        entry.clear();
        return true;
    };
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';') {
            if (!finish())
                return false;
        } else {
            entry += c;
        }
    }
    if (!finish())
        return false;
    out = parsed;
    return true;
}

std::string RefusedFileLogLine(ETrust why, const std::string& pathUtf8)
{
    const char* reason = "";
    switch (why) {
    case ETrust::Trusted: reason = "签名有效"; break;
    case ETrust::Unsigned: reason = "没有数字签名"; break;
    case ETrust::Altered: reason = "签名后被改动或签名已损坏"; break;
    case ETrust::Untrusted: reason = "签名者不受系统信任"; break;
    case ETrust::OtherSigner: reason = "签名者与本工具不同"; break;
    case ETrust::OwnUnknown: reason = "无法读取本工具自身的签名"; break;
    case ETrust::Unreadable: reason = "文件无法打开"; break;
    case ETrust::Revoked: reason = "签名证书已被吊销"; break;
    case ETrust::UnlistedSigner: reason = "签名者不在本版本认可的签名者之列"; break;
    }
    return std::string("签名检查未通过（") + reason + "），未使用：" + pathUtf8;
}

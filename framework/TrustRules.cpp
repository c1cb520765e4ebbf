#include "framework/TrustRules.h"

#include <cstdint>

namespace {
// WinVerifyTrust's answers, by what they say about the file.
const uint32_t kNoSignature = 0x800B0100;        // TRUST_E_NOSIGNATURE
const uint32_t kSubjectFormUnknown = 0x800B0003;  // TRUST_E_SUBJECT_FORM_UNKNOWN: no signable file at all
const uint32_t kBadDigest = 0x80096010;          // TRUST_E_BAD_DIGEST
const uint32_t kCertSignature = 0x80096004;      // TRUST_E_CERT_SIGNATURE
const uint32_t kNoSignerCert = 0x80096002;       // TRUST_E_NO_SIGNER_CERT
const uint32_t kBadMessage = 0x8009200D;         // CRYPT_E_BAD_MSG
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
    }
    return std::string("签名检查未通过（") + reason + "），未使用：" + pathUtf8;
}

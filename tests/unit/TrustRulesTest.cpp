// What a signed release makes of a file's signature. Wine's signature check
// trusts any self-signed certificate, among the trusted roots or not, so the
// answers about an untrusted signer are shown here, not under wine.
#include <gtest/gtest.h>

#include "framework/TrustRules.h"

TEST(TrustRules, OnlyTheSystemsSuccessIsTrusted)
{
    struct Case { unsigned long result; ETrust verdict; } cases[] = {
        {0x00000000, ETrust::Trusted},
        {0x800B0100, ETrust::Unsigned},    // no signature
        {0x800B0003, ETrust::Unsigned},    // no file the system can sign
        {0x80096010, ETrust::Altered},     // changed after signing
        {0x80096004, ETrust::Altered},     // the certificate's own signature fails
        {0x80096002, ETrust::Altered},     // the signer's certificate is missing
        {0x8009200D, ETrust::Altered},     // the signature cannot be decoded
        {0x800B0109, ETrust::Untrusted},   // self-signed, root not trusted
        {0x800B010A, ETrust::Untrusted},   // no chain to a trusted root
        {0x800B0101, ETrust::Untrusted},   // expired
        {0x800B010C, ETrust::Untrusted},   // revoked
        {0x800B0111, ETrust::Untrusted},   // explicitly distrusted
        {0x800B0110, ETrust::Untrusted},   // not a code-signing certificate
        {0x800B0004, ETrust::Untrusted},   // the administrator's policy says no
        {0x80070005, ETrust::Untrusted},   // anything else the system answers
        {0x00000001, ETrust::Untrusted},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrustFromVerifyResult(static_cast<long>(c.result)), c.verdict) << std::hex << c.result;
}

TEST(TrustRules, TheDeviceToolMustShareTheProgramsCertificate)
{
    const std::vector<unsigned char> own = {0x30, 0x82, 0x03, 0x52, 0x01}, other = {0x30, 0x82, 0x03, 0x52, 0x02};
    struct Case { ETrust file; std::vector<unsigned char> signer, ownSigner; ETrust verdict; } cases[] = {
        {ETrust::Trusted, own, own, ETrust::Trusted},
        {ETrust::Trusted, other, own, ETrust::OtherSigner},
        {ETrust::Trusted, {}, own, ETrust::OtherSigner},
        {ETrust::Trusted, own, {}, ETrust::OwnUnknown},
        {ETrust::Trusted, {}, {}, ETrust::OwnUnknown},
        // The file's own verdict comes first: the same certificate does not
        // make an altered or untrusted file acceptable.
        {ETrust::Altered, own, own, ETrust::Altered},
        {ETrust::Untrusted, own, own, ETrust::Untrusted},
        {ETrust::Unsigned, {}, own, ETrust::Unsigned},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        EXPECT_EQ(SameSignerVerdict(cases[i].file, cases[i].signer, cases[i].ownSigner), cases[i].verdict) << i;
}

TEST(TrustRules, TheRefusalLineNamesTheFileAndTellsTheReasonsApart)
{
    const std::string path = "C:\\Users\\技术员\\Downloads\\Velmora\\devcon.exe";
    std::vector<std::string> reasons;
    for (ETrust why : {ETrust::Unsigned, ETrust::Altered, ETrust::Untrusted, ETrust::OtherSigner, ETrust::OwnUnknown,
                       ETrust::Unreadable}) {
        const std::string line = RefusedFileLogLine(why, path);
        ASSERT_GT(line.size(), path.size());
        EXPECT_EQ(line.substr(line.size() - path.size()), path);
        for (const std::string& seen : reasons)
            EXPECT_NE(line, seen);
        reasons.push_back(line);
    }
    EXPECT_EQ(RefusedFileLogLine(ETrust::Unsigned, path), "签名检查未通过（没有数字签名），未使用：" + path);
}

// What a signed release makes of a file's signature. Wine's signature check
// trusts any self-signed certificate, among the trusted roots or not, so the
// answers about an untrusted signer are shown here, not under wine.
#include <gtest/gtest.h>

#include "base/TrustRules.h"

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

// The feedback library: signed by a certificate the release names (by
// default its own), and not known to be revoked. Wine keeps no revocation
// lists, so a revoked chain is shown here only.
TEST(TrustRules, TheLibraryMustBeSignedByANamedCertificateNotKnownRevoked)
{
    const std::vector<unsigned char> own = {0x30, 0x82, 0x03, 0x52, 0x01}, maker = {0x30, 0x82, 0x04, 0x10, 0x07},
                                     bought = {0x30, 0x82, 0x04, 0x10, 0x08};
    const std::vector<std::string> none, makers = {Sha256Hex(maker)}, both = {Sha256Hex(own), Sha256Hex(maker)};
    struct Case {
        const char* what; ETrust file; bool revoked; std::vector<unsigned char> signer;
        const std::vector<std::string>* allowed; std::vector<unsigned char> ownSigner; ETrust verdict;
    } cases[] = {
        {"none named: the release's own", ETrust::Trusted, false, own, &none, own, ETrust::Trusted},
        {"none named: another certificate", ETrust::Trusted, false, maker, &none, own, ETrust::UnlistedSigner},
        {"none named, own unreadable", ETrust::Trusted, false, own, &none, {}, ETrust::OwnUnknown},
        {"the maker's, named", ETrust::Trusted, false, maker, &makers, own, ETrust::Trusted},
        {"a bought one, not named", ETrust::Trusted, false, bought, &makers, own, ETrust::UnlistedSigner},
        {"the release's own, not named", ETrust::Trusted, false, own, &makers, own, ETrust::UnlistedSigner},
        {"one of two named", ETrust::Trusted, false, own, &both, {}, ETrust::Trusted},
        {"signer not read", ETrust::Trusted, false, {}, &makers, own, ETrust::UnlistedSigner},
        {"named but revoked", ETrust::Trusted, true, maker, &makers, own, ETrust::Revoked},
        {"own but revoked", ETrust::Trusted, true, own, &none, own, ETrust::Revoked},
        // The file's own verdict comes first.
        {"named but altered", ETrust::Altered, false, maker, &makers, own, ETrust::Altered},
        {"named but untrusted", ETrust::Untrusted, false, maker, &makers, own, ETrust::Untrusted},
        {"unsigned", ETrust::Unsigned, false, {}, &none, own, ETrust::Unsigned},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListedSignerVerdict(c.file, c.revoked, c.signer, *c.allowed, c.ownSigner), c.verdict) << c.what;

    // Revoked, as the system answers when asked from its own lists; not
    // knowing is not revoked.
    struct Result { unsigned long result; bool revoked; } results[] = {
        {0x800B010C, true},    // CERT_E_REVOKED
        {0x80092010, true},    // CRYPT_E_REVOKED
        {0x00000000, false},
        {0x800B010E, false},   // CERT_E_REVOCATION_FAILURE: no list at hand
        {0x80092012, false},   // CRYPT_E_NO_REVOCATION_CHECK
        {0x80092013, false},   // CRYPT_E_REVOCATION_OFFLINE
        {0x800B0109, false},
    };
    for (const auto& r : results)
        EXPECT_EQ(IsRevokedResult(static_cast<long>(r.result)), r.revoked) << std::hex << r.result;
}

TEST(TrustRules, CertificatesAreNamedByTheirSha256)
{
    auto bytes = [](const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); };
    struct Digest { std::string data; const char* hex; } digests[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",   // two blocks
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& d : digests)
        EXPECT_EQ(Sha256Hex(bytes(d.data)), d.hex) << d.data.size();

    const std::string a = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    const std::string b = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const std::string aColons =
        "E3:B0:C4:42:98:FC:1C:14:9A:FB:F4:C8:99:6F:B9:24:27:AE:41:E4:64:9B:93:4C:A4:95:99:1B:78:52:B8:55";
    struct List { std::string text; bool ok; std::vector<std::string> digests; } lists[] = {
        {"", true, {}},
        {"  \r\n", true, {}},
        {a, true, {a}},
        {aColons, true, {a}},                      // as openssl prints a fingerprint
        {a + " " + b, true, {a, b}},
        {aColons + ";" + b + ",	" + a, true, {a, b, a}},
        {a.substr(1), false, {}},                  // 63 digits
        {a + "0", false, {}},                      // 65
        {a.substr(0, 63) + "g", false, {}},
        {"sha256:" + a, false, {}},
        {":" + a, false, {}},
        {a.substr(0, 2) + "::" + a.substr(2), false, {}},
        {a.substr(0, 3) + ":" + a.substr(3), false, {}},   // a colon inside a pair
        {a + " " + b.substr(2), false, {}},        // one bad entry spoils the list
    };
    for (const auto& l : lists) {
        std::vector<std::string> out = {"left over"};
        EXPECT_EQ(ParseSignerList(l.text, out), l.ok) << l.text;
        EXPECT_EQ(out, l.digests) << l.text;
    }
}

TEST(TrustRules, TheRefusalLineNamesTheFileAndTellsTheReasonsApart)
{
    const std::string path = "C:\\Users\\技术员\\Downloads\\Velmora\\devcon.exe";
    std::vector<std::string> reasons;
    for (ETrust why : {ETrust::Unsigned, ETrust::Altered, ETrust::Untrusted, ETrust::OtherSigner, ETrust::OwnUnknown,
                       ETrust::Unreadable, ETrust::Revoked, ETrust::UnlistedSigner}) {
        const std::string line = RefusedFileLogLine(why, path);
        ASSERT_GT(line.size(), path.size());
        EXPECT_EQ(line.substr(line.size() - path.size()), path);
        for (const std::string& seen : reasons)
            EXPECT_NE(line, seen);
        reasons.push_back(line);
    }
    EXPECT_EQ(RefusedFileLogLine(ETrust::Unsigned, path), "签名检查未通过（没有数字签名），未使用：" + path);
}

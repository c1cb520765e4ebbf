// The agreement text shown in the read-only box of the main window:
// res/text/agreement.txt, UTF-8 without BOM, one paragraph per CR LF line.
// It is a file of the source tree, which the Windows test programs cannot see
// from inside wine, so this test is built natively only; the e2e tier checks
// that the text reaches the box.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The repository root, three levels above this file (tests/unit/<file>).
std::string AgreementPath()
{
    std::string root = __FILE__;
    for (int i = 0; i < 3; ++i) {
        std::size_t cut = root.find_last_of("/\\");
        root = cut == std::string::npos ? std::string() : root.substr(0, cut);
    }
    return (root.empty() ? std::string() : root + "/") + "res/text/agreement.txt";
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + extra >= s.size())
            return false;
        unsigned long cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const unsigned long kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

// Code points of valid UTF-8: every byte that is not a continuation byte.
std::size_t CodePoints(const std::string& s)
{
    std::size_t n = 0;
    for (char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

bool StartsWith(const std::string& s, const std::string& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

TEST(AgreementText, ParagraphsHeadingsAndLength)
{
    std::ifstream in(AgreementPath(), std::ios::binary);
    ASSERT_TRUE(in) << "cannot open " << AgreementPath();
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    ASSERT_TRUE(IsValidUtf8(text));
    ASSERT_FALSE(StartsWith(text, "\xEF\xBB\xBF")) << "no byte order mark";
    ASSERT_TRUE(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) << "last paragraph ends in CR LF";

    // Split on CR LF; any other CR or LF is a stray line break.
    std::vector<std::string> paragraphs;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            paragraphs.push_back(text.substr(begin, i - begin));
            begin = ++i + 1;
        } else {
            ASSERT_TRUE(text[i] != '\r' && text[i] != '\n') << "bare CR or LF at byte " << i;
        }
    }
    ASSERT_EQ(paragraphs.size(), 141u);

    std::size_t longest = 0;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        EXPECT_FALSE(paragraphs[i].empty()) << "empty paragraph " << i + 1;
        longest = std::max(longest, CodePoints(paragraphs[i]));
    }
    EXPECT_LE(longest, 316u);
    const std::size_t total = CodePoints(text);   // each CR LF counts as 2
    EXPECT_GE(total * 100, 8290u * 95) << total;
    EXPECT_LE(total * 100, 8290u * 105) << total;

    // Paragraph indices (in order) of the paragraphs starting with a marker.
    auto starts = [&](const std::string& marker) {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < paragraphs.size(); ++i)
            if (StartsWith(paragraphs[i], marker))
                at.push_back(i);
        return at;
    };
    // Each marker of a row appears the given number of times, the rows' first
    // (and second) occurrences following one another in table order.
    struct Markers { std::vector<std::string> list; std::size_t times; } tables[] = {
        {{"一.", "二.", "三.", "四.", "五.", "六."}, 1},
        {{"A.", "B.", "C.", "D.", "E.", "F.", "G."}, 1},
        {{"(一)", "(二)", "(三)", "(四)", "(五)", "(六)", "(七)", "(八)"}, 2},
    };
    for (const auto& t : tables) {
        std::vector<std::size_t> last(t.times, 0);
        for (std::size_t m = 0; m < t.list.size(); ++m) {
            std::vector<std::size_t> at = starts(t.list[m]);
            ASSERT_EQ(at.size(), t.times) << t.list[m];
            for (std::size_t k = 0; k < t.times; ++k) {
                if (m > 0) {
                    EXPECT_GT(at[k], last[k]) << t.list[m] << " out of order";
                }
                last[k] = at[k];
            }
            if (t.times == 2) {   // the contents entry repeats as the body heading
                EXPECT_EQ(paragraphs[at[0]], paragraphs[at[1]]) << t.list[m];
            }
        }
    }
    // The privacy contents and bodies lie inside section 四.
    EXPECT_GT(starts("(一)")[0], starts("四.")[0]);
    EXPECT_LT(starts("(八)")[1], starts("五.")[0]);
}

#endif  // !_WIN32

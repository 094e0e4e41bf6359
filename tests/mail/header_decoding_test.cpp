// Header and text decoding, from RFC 2047's own examples (§8) and the
// forms Japanese mail programs and phones send.
#include <gtest/gtest.h>

#include "charset.h"
#include "message.h"
#include "rfc2047.h"
#include "text_codec.h"

namespace mirte::mail {
namespace {

TEST(DecodeHeaderText, Rfc2047Examples) {
  struct Case {
    const char* raw;
    const char* expected;
  };
  const Case cases[] = {
      {"=?US-ASCII?Q?Keith_Moore?=", "Keith Moore"},
      {"(=?ISO-8859-1?Q?a?=)", "(a)"},
      {"(=?ISO-8859-1?Q?a?= b)", "(a b)"},
      {"(=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=)", "(ab)"},
      {"(=?ISO-8859-1?Q?a?=  =?ISO-8859-1?Q?b?=)", "(ab)"},
      {"(=?ISO-8859-1?Q?a?=\r\n    =?ISO-8859-1?Q?b?=)", "(ab)"},
      {"(=?ISO-8859-1?Q?a_b?=)", "(a b)"},
      {"(=?ISO-8859-1?Q?a?= =?ISO-8859-2?Q?_b?=)", "(a b)"},
      {"=?ISO-8859-1?Q?a?= plain =?ISO-8859-1?Q?b?=", "a plain b"},
      {"not =?encoded", "not =?encoded"},
      {"=?x-unknown?Q?abc?=", "abc"},
      {"=?utf-8?X?abc?=", "=?utf-8?X?abc?="},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeHeaderText(c.raw), c.expected) << c.raw;
  }
}

TEST(DecodeHeaderText, JapaneseFormsToCp932) {
  struct Case {
    const char* name;
    std::string raw;
    std::string expected_utf8;
  };
  const Case cases[] = {
      {"UTF-8 character split across Q words", "=?UTF-8?Q?=E6=97?= =?UTF-8?Q?=A5?=", "日"},
      {"ISO-2022-JP split inside the escape state",
       "=?ISO-2022-JP?B?GyRCRnw=?= =?ISO-2022-JP?B?S1wbKEI=?=", "日本"},
      {"windows-31j with NEC row 13", "=?windows-31j?B?h0CHig==?=", "①㈱"},
      {"undeclared UTF-8", "件名 テスト", "件名 テスト"},
      {"undeclared CP932", "\x8C\x8F\x96\xBC", "件名"},
      {"EUC-JP", "=?EUC-JP?B?xvzL3A==?=", "日本"},
      {"control characters become spaces", "=?UTF-8?Q?a=0D=0Ab=00c?=", "a  bc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(DecodeHeaderText(c.raw)), c.expected_utf8) << c.name;
  }
}

TEST(Iso2022Jp, LenientDecodingKeepsCp932Extensions) {
  struct Case {
    const char* name;
    std::string jis;
    std::string cp932_hex;  // expected bytes
  };
  const Case cases[] = {
      {"NEC row 13", "\x1b$B-!-j\x1b(B", "\x87\x40\x87\x8A"},
      {"IBM extension row 89", "\x1b$By!\x1b(B", "\xED\x40"},
      {"half-width katakana by ESC ( I", "\x1b(I1\x1b(B", "\xB1"},
      {"half-width katakana by SO/SI", "a\x0e" "1\x0f" "b", "a\xB1" "b"},
      {"old JIS escape", "\x1b$@$\"\x1b(J!", "\x82\xA0!"},
      {"JIS X 0212 is not in CP932", "\x1b$(D\"/\x1b(B", "?"},
      {"CP932 bytes wrongly labelled", "\x87\x40", "\x87\x40"},
      {"line ends inside kanji mode", "\x1b$B$\"\r\n$\"\x1b(B", "\x82\xA0\r\n\x82\xA0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Iso2022JpToCp932(c.jis), c.cp932_hex) << c.name;
  }
}

TEST(TrimTrailingBlanks, RemovesBlanksButNotTrailBytes) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"\r\n", ""},
      {"text \t\r\n\r\n", "text"},
      {"text\x81\x40\r\n\x81\x40", "text"},
      // 88 81 is one two-byte character,
      // and a following "@" is text, not half of a full-width space.
      {"\x88\x81@", "\x88\x81@"},
      {"\x88\x81\x40 ", "\x88\x81\x40"},
  };
  for (const Case& c : cases) {
    std::string s = c.in;
    TrimTrailingBlanks(&s);
    EXPECT_EQ(s, c.out);
  }
}

}  // namespace
}  // namespace mirte::mail

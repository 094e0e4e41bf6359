#include "text_codec.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace mirte {
namespace {

using testing::Hex;

TEST(TextCodec, Cp932RoundTripsItsOwnCharacters) {
  // ① ㈱ ～ half-width ｱ, IBM extension 髙, the full-width space.
  const std::string cp932 = Hex("87 40 87 8A 81 60 B1 FB FC 81 40 41");
  const std::string utf8 = "①㈱～ｱ髙　A";
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp932(utf8, &lossless), cp932);
  EXPECT_TRUE(lossless);
}

TEST(TextCodec, CharacterWithoutCp932FormBecomesQuestionMark) {
  bool lossless = true;
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80" "b\xC3\xA9", &lossless), "a?b?");
  EXPECT_FALSE(lossless);
  EXPECT_FALSE(IsCp932Representable("絵文字\xF0\x9F\x98\x80"));
  EXPECT_TRUE(IsCp932Representable("日本語ｶﾅ①"));
}

TEST(TextCodec, Utf16LeToCp932) {
  // "あ" U+3042, "A", an emoji as a surrogate pair, "①".
  EXPECT_EQ(Utf16LeToCp932(Hex("42 30 41 00 3D D8 00 DE 60 24")),
            Hex("82 A0 41 3F 87 40"));
}

TEST(TextCodec, PrefixNeverSplitsADoubleByteCharacter) {
  const std::string text = Hex("41 82 A0 82 A2");  // "Aあい"
  EXPECT_EQ(Cp932Prefix(text, 5), text);
  EXPECT_EQ(Cp932Prefix(text, 4), Hex("41 82 A0"));
  EXPECT_EQ(Cp932Prefix(text, 2), "A");
  EXPECT_EQ(Cp932Prefix(text, 0), "");
}

}  // namespace
}  // namespace mirte

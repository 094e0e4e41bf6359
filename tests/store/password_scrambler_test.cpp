#include "password_scrambler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace mirte {
namespace {

const std::string kKey = "Wd5%tRq9!Zx3&Mv8";

std::string Scrambled(const std::string& source) {
  char out[512] = {};
  PasswordScrambler scrambler;
  EXPECT_EQ(scrambler.Scramble(source.c_str(), out), 0);
  return std::string(out, source.size());
}

TEST(PasswordScrambler, PositionJUsesKeyByteJPlusOneModulo17) {
  std::string source(60, '\x01');
  std::string out = Scrambled(source);
  for (size_t j = 0; j < source.size(); ++j) {
    size_t k = (j + 1) % 17;
    unsigned char key = k < 16 ? static_cast<unsigned char>(kKey[k]) : 0;
    EXPECT_EQ(static_cast<unsigned char>(out[j]), 1 + key) << "position " << j;
  }
  // Every 17th byte from position 15 passes unchanged.
  EXPECT_EQ(out[15], '\x01');
  EXPECT_EQ(out[32], '\x01');
  EXPECT_EQ(out[49], '\x01');
}

TEST(PasswordScrambler, RefusalsWriteNothing) {
  PasswordScrambler scrambler;
  char out[300];
  std::memset(out, 'z', sizeof out);
  EXPECT_EQ(scrambler.Scramble(nullptr, out), -1);
  EXPECT_EQ(scrambler.Unscramble(nullptr, out), -1);
  EXPECT_EQ(scrambler.Scramble("", out), -3);
  EXPECT_EQ(scrambler.Unscramble("", out), -3);
  std::string long_source(256, 'a');
  EXPECT_EQ(scrambler.Scramble(long_source.c_str(), out), -2);
  EXPECT_EQ(scrambler.Unscramble(long_source.c_str(), out), -2);
  EXPECT_EQ(out[0], 'z');
  std::string max_source(255, 'a');
  EXPECT_EQ(scrambler.Scramble(max_source.c_str(), out), 0);
}

TEST(PasswordScrambler, UnscrambleUndoesScrambleAndWrapsModulo256) {
  std::string source;
  for (int b = 0x20; b < 0x100 && source.size() < 255; ++b) {
    source.push_back(static_cast<char>(b));
  }
  std::string out = Scrambled(source);
  char back[300] = {};
  PasswordScrambler scrambler;
  // Unscramble stops at a zero byte of the scrambled text, so only a prefix
  // up to the first zero can come back.
  std::string stored(out.c_str());
  ASSERT_EQ(scrambler.Unscramble(stored.c_str(), back), 0);
  EXPECT_EQ(std::string(back, stored.size()), source.substr(0, stored.size()));
}

TEST(PasswordScrambler, TellsWhichPasswordsSurviveStorage) {
  EXPECT_TRUE(CanStorePasswordIntact(""));
  EXPECT_TRUE(CanStorePasswordIntact("secret"));
  EXPECT_TRUE(CanStorePasswordIntact(std::string(255, '~')));
  EXPECT_TRUE(CanStorePasswordIntact(std::string(256, '\xA9')));
  // 0xA9 + 'W' (0x57) = 0x100: position 16 uses key byte 0.
  std::string zero_at_16(17, 'a');
  zero_at_16[16] = '\xA9';
  EXPECT_FALSE(CanStorePasswordIntact(zero_at_16));
  // 0x9C + 'd' (0x64) = 0x100 at position 0.
  EXPECT_FALSE(CanStorePasswordIntact("\x9C"));
}

}  // namespace
}  // namespace mirte

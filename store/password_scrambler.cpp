#include "password_scrambler.h"

#include <cstring>

namespace mirte {

namespace {
// 16 printable characters and the terminating zero: 17 key bytes.
constexpr char kKey[] = "Wd5%tRq9!Zx3&Mv8";
constexpr int kKeyLast = 16;
constexpr size_t kMaxScrambled = 255;
}  // namespace

int PasswordScrambler::Apply(const char* source, char* out, int sign) {
  if (source == nullptr) return kNoSource;
  size_t length = std::strlen(source);
  if (length > kMaxScrambled) return kTooLong;
  if (length == 0) return kEmpty;
  int k = 1;
  for (size_t j = 0; j < length; ++j) {
    if (k > kKeyLast) k = 0;
    unsigned char s = static_cast<unsigned char>(source[j]);
    unsigned char key = static_cast<unsigned char>(kKey[k]);
    out[j] = static_cast<char>(static_cast<unsigned char>(s + sign * key));
    ++k;
  }
  return kDone;
}

int PasswordScrambler::Scramble(const char* source, char* out) {
  return Apply(source, out, +1);
}

int PasswordScrambler::Unscramble(const char* source, char* out) {
  return Apply(source, out, -1);
}

bool CanStorePasswordIntact(const std::string& password) {
  if (password.find('\0') != std::string::npos) return false;
  if (password.size() > kMaxScrambled || password.empty()) return true;
  char buffer[256] = {};
  PasswordScrambler scrambler;
  scrambler.Scramble(password.c_str(), buffer);
  return std::strlen(buffer) == password.size();
}

}  // namespace mirte

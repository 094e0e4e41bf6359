// The light scrambling of the POP3 password in the settings file: a byte-wise
// addition of a fixed key. It hides the password from a casual look, nothing
// more; the settings file is therefore kept readable by its owner only.
#pragma once

#include <string>

namespace mirte {

class PasswordScrambler {
 public:
  enum Result { kDone = 0, kNoSource = -1, kTooLong = -2, kEmpty = -3 };

  virtual ~PasswordScrambler() = default;

  // Adds the key to each byte of the zero-terminated `source` and writes as
  // many bytes to `out` (no terminating zero; the caller zero-fills `out`).
  // Returns kDone, or kNoSource for a null source, kTooLong for a source of
  // 256 bytes or more, kEmpty for an empty one; nothing is written then.
  virtual int Scramble(const char* source, char* out);

  // The same with subtraction.
  virtual int Unscramble(const char* source, char* out);

 private:
  int Apply(const char* source, char* out, int sign);
};

// Whether `password` survives a save and a load of the settings file
// unchanged: its scrambled form has no zero byte (which would end the stored
// text), or it is long enough to be stored in plain text.
bool CanStorePasswordIntact(const std::string& password);

}  // namespace mirte

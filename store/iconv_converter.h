// A reusable iconv conversion that substitutes a replacement for what the
// target cannot hold instead of failing. Opening iconv is costly, so callers
// keep one converter per direction and reuse it.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace mirte {

class IconvConverter {
 public:
  // How many input bytes one character that cannot be converted occupies.
  enum class SourceUnit { kSingleByte, kCp932, kUtf8, kUtf16Le };

  IconvConverter(const char* to, const char* from, SourceUnit unit);
  ~IconvConverter();
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in`; each character that cannot be converted becomes
  // `replacement`. `lossless`, when given, is set to false on any
  // substitution. Returns an empty string when the converter did not open.
  std::string Convert(std::string_view in, std::string_view replacement,
                      bool* lossless = nullptr);

  // Converts `in` and fails (returns false) on the first character that
  // cannot be converted.
  bool ConvertStrict(std::string_view in, std::string* out);

 private:
  size_t UnitLength(const unsigned char* p, size_t left) const;

  iconv_t cd_;
  SourceUnit unit_;
};

}  // namespace mirte

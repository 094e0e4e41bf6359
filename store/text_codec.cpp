#include "text_codec.h"

#include "iconv_converter.h"

namespace mirte {

namespace {
using Unit = IconvConverter::SourceUnit;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  thread_local IconvConverter conv("UTF-8", "CP932", Unit::kCp932);
  return conv.Convert(cp932, "\xEF\xBF\xBD");
}

std::string Utf8ToCp932(std::string_view utf8, bool* lossless) {
  thread_local IconvConverter conv("CP932", "UTF-8", Unit::kUtf8);
  if (lossless) *lossless = true;
  return conv.Convert(utf8, "?", lossless);
}

std::string Utf16LeToCp932(std::string_view utf16le) {
  thread_local IconvConverter conv("CP932", "UTF-16LE", Unit::kUtf16Le);
  return conv.Convert(utf16le, "?");
}

bool IsCp932Representable(std::string_view utf8) {
  bool lossless = true;
  Utf8ToCp932(utf8, &lossless);
  return lossless;
}

std::string_view Cp932Prefix(std::string_view cp932, size_t max_bytes) {
  if (cp932.size() <= max_bytes) return cp932;
  size_t i = 0;
  while (i < cp932.size()) {
    size_t n = IsCp932LeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
    if (i + n > max_bytes) break;
    i += n;
  }
  return cp932.substr(0, i);
}

}  // namespace mirte

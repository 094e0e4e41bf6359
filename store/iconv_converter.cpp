#include "iconv_converter.h"

#include <cerrno>

namespace mirte {

IconvConverter::IconvConverter(const char* to, const char* from,
                               SourceUnit unit)
    : cd_(iconv_open(to, from)), unit_(unit) {}

IconvConverter::~IconvConverter() {
  if (ok()) iconv_close(cd_);
}

size_t IconvConverter::UnitLength(const unsigned char* p, size_t left) const {
  size_t n = 1;
  switch (unit_) {
    case SourceUnit::kSingleByte:
      n = 1;
      break;
    case SourceUnit::kCp932:
      n = ((p[0] >= 0x81 && p[0] <= 0x9F) || (p[0] >= 0xE0 && p[0] <= 0xFC))
              ? 2
              : 1;
      break;
    case SourceUnit::kUtf8:
      if (p[0] >= 0xF0 && p[0] <= 0xF7) n = 4;
      else if (p[0] >= 0xE0 && p[0] <= 0xEF) n = 3;
      else if (p[0] >= 0xC0 && p[0] <= 0xDF) n = 2;
      // Never skip into the next valid character of a broken sequence.
      for (size_t i = 1; i < n && i < left; ++i) {
        if ((p[i] & 0xC0) != 0x80) return i;
      }
      break;
    case SourceUnit::kUtf16Le:
      n = 2;
      if (left >= 4 && (p[1] & 0xFC) == 0xD8 && (p[3] & 0xFC) == 0xDC) n = 4;
      break;
  }
  return n < left ? n : left;
}

std::string IconvConverter::Convert(std::string_view in,
                                    std::string_view replacement,
                                    bool* lossless) {
  std::string out;
  if (!ok()) {
    if (lossless) *lossless = in.empty();
    return out;
  }
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  size_t used = 0;
  auto room = [&](size_t need) {
    if (out.size() - used < need) out.resize(out.size() * 2 + need);
  };
  for (;;) {
    char* dst = out.data() + used;
    size_t dst_left = out.size() - used;
    size_t rc = src_left ? iconv(cd_, &src, &src_left, &dst, &dst_left)
                         : iconv(cd_, nullptr, nullptr, &dst, &dst_left);
    used = out.size() - dst_left;
    if (rc != static_cast<size_t>(-1)) {
      if (src_left == 0) {
        // Flush the shift state of stateful targets.
        char* fdst = out.data() + used;
        size_t fleft = out.size() - used;
        if (iconv(cd_, nullptr, nullptr, &fdst, &fleft) ==
            static_cast<size_t>(-1)) {
          room(16);
          fdst = out.data() + used;
          fleft = out.size() - used;
          iconv(cd_, nullptr, nullptr, &fdst, &fleft);
        }
        used = out.size() - fleft;
        break;
      }
      continue;
    }
    if (errno == E2BIG) {
      room(in.size() + 16);
      continue;
    }
    // EILSEQ (unconvertible or invalid) or EINVAL (cut short at the end).
    if (lossless) *lossless = false;
    // Return to the initial shift state before writing plain bytes.
    room(16 + replacement.size());
    char* fdst = out.data() + used;
    size_t fleft = out.size() - used;
    iconv(cd_, nullptr, nullptr, &fdst, &fleft);
    used = out.size() - fleft;
    out.replace(used, replacement.size(), replacement);
    used += replacement.size();
    size_t skip = UnitLength(reinterpret_cast<unsigned char*>(src), src_left);
    src += skip;
    src_left -= skip;
  }
  out.resize(used);
  return out;
}

bool IconvConverter::ConvertStrict(std::string_view in, std::string* out) {
  bool lossless = true;
  *out = Convert(in, "?", &lossless);
  return lossless && ok();
}

}  // namespace mirte

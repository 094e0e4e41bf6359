#include "charset.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>

#include "iconv_converter.h"
#include "text_codec.h"

namespace mirte::mail {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool IsIso2022Jp(const std::string& cs) {
  return cs.rfind("iso-2022-jp", 0) == 0 || cs == "csiso2022jp" ||
         cs == "jis" || cs == "iso2022jp";
}

bool IsShiftJis(const std::string& cs) {
  return cs == "shift_jis" || cs == "shift-jis" || cs == "sjis" ||
         cs == "x-sjis" || cs == "windows-31j" || cs == "cp932" ||
         cs == "ms932" || cs == "ms_kanji" || cs == "csshiftjis" ||
         cs == "x-ms-cp932" || cs == "cswindows31j";
}

bool IsUtf8Name(const std::string& cs) { return cs == "utf-8" || cs == "utf8"; }

bool IsAsciiName(const std::string& cs) {
  return cs.empty() || cs == "us-ascii" || cs == "ascii" || cs == "ansi_x3.4-1968";
}

// One converter per charset name met, kept for reuse: opening iconv costs
// more than most conversions.
IconvConverter* ConverterToUtf8(const std::string& charset) {
  thread_local std::map<std::string, std::unique_ptr<IconvConverter>> cache;
  auto it = cache.find(charset);
  if (it == cache.end()) {
    if (cache.size() > 64) cache.clear();
    auto conv = std::make_unique<IconvConverter>(
        "UTF-8", charset.c_str(), IconvConverter::SourceUnit::kSingleByte);
    it = cache.emplace(charset, std::move(conv)).first;
  }
  return it->second->ok() ? it->second.get() : nullptr;
}

void AppendJisPair(std::string& out, unsigned char j1, unsigned char j2) {
  unsigned char s1 = static_cast<unsigned char>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
  unsigned char s2;
  if (j1 & 1) {
    s2 = static_cast<unsigned char>(j2 + (j2 >= 0x60 ? 0x20 : 0x1F));
  } else {
    s2 = static_cast<unsigned char>(j2 + 0x7E);
  }
  out.push_back(static_cast<char>(s1));
  out.push_back(static_cast<char>(s2));
}

bool IsAscii(std::string_view bytes) {
  // Eight bytes at a time: most mail text is plain ASCII.
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if (word & 0x8080808080808080ull) return false;
  }
  for (; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  }
  return true;
}

// Charsets in which ASCII bytes stand for themselves (ISO-2022-JP too, as
// long as no escape or shift byte occurs).
bool AsciiStandsForItself(const std::string& cs, std::string_view bytes) {
  if (cs.rfind("utf-7", 0) == 0 || cs.rfind("utf-16", 0) == 0 || cs.rfind("utf-32", 0) == 0 ||
      cs.rfind("ucs", 0) == 0 || cs.rfind("unicode", 0) == 0) {
    return false;
  }
  for (char c : bytes) {
    if (c == 0x1B || c == 0x0E || c == 0x0F) return false;
  }
  return true;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t n;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= bytes.size()) return false;
    for (size_t k = 1; k <= n; ++k) {
      unsigned char d = static_cast<unsigned char>(bytes[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += n + 1;
  }
  return true;
}

std::string Iso2022JpToCp932(std::string_view in) {
  enum class Mode { kAscii, kJis0208, kKana, kOther };
  Mode mode = Mode::kAscii;
  Mode before_so = Mode::kAscii;
  std::string out;
  out.reserve(in.size());
  size_t i = 0;
  auto at = [&](size_t k) -> unsigned char {
    return k < in.size() ? static_cast<unsigned char>(in[k]) : 0;
  };
  while (i < in.size()) {
    unsigned char c = at(i);
    if (c == 0x1B) {
      unsigned char a = at(i + 1), b = at(i + 2);
      if (a == '(' && (b == 'B' || b == 'J' || b == 'H')) {
        mode = Mode::kAscii;
        i += 3;
      } else if (a == '(' && b == 'I') {
        mode = Mode::kKana;
        i += 3;
      } else if (a == '$' && (b == 'B' || b == '@')) {
        mode = Mode::kJis0208;
        i += 3;
      } else if (a == '&' && b == '@') {
        i += 3;  // announces a JIS X 0208 revision; ESC $ B follows
      } else if (a == '$' && b == '(' ) {
        mode = at(i + 3) == 'Q' || at(i + 3) == 'O' ? Mode::kJis0208 : Mode::kOther;
        i += 4;
      } else if (a == '$' && b == 'A') {
        mode = Mode::kOther;  // GB 2312 of ISO-2022-JP-2
        i += 3;
      } else if (a == '.' || a == 'N') {
        i += 3;  // G2 designations and single shifts: dropped
      } else {
        ++i;  // a lone ESC
      }
      continue;
    }
    if (c == 0x0E) {
      before_so = mode;
      mode = Mode::kKana;
      ++i;
      continue;
    }
    if (c == 0x0F) {
      mode = before_so == Mode::kKana ? Mode::kAscii : before_so;
      ++i;
      continue;
    }
    if (c < 0x21 || c == 0x7F || c >= 0x80) {
      // Controls and line ends are themselves in any mode; 8-bit bytes are
      // taken as the CP932 that the sender really wrote.
      out.push_back(static_cast<char>(c));
      if (c >= 0x80 && IsCp932LeadByte(c) && i + 1 < in.size()) {
        out.push_back(in[i + 1]);
        ++i;
      }
      ++i;
      continue;
    }
    switch (mode) {
      case Mode::kAscii:
        out.push_back(static_cast<char>(c));
        ++i;
        break;
      case Mode::kKana:
        out.push_back(c <= 0x5F ? static_cast<char>(c + 0x80) : '?');
        ++i;
        break;
      case Mode::kJis0208:
      case Mode::kOther: {
        unsigned char d = at(i + 1);
        if (d < 0x21 || d > 0x7E) {
          out.push_back('?');
          ++i;
          break;
        }
        if (mode == Mode::kJis0208) {
          AppendJisPair(out, c, d);
        } else {
          out.push_back('?');
        }
        i += 2;
        break;
      }
    }
  }
  return out;
}

std::string UndeclaredToCp932(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  if (IsValidUtf8(bytes)) return Utf8ToCp932(bytes);
  return std::string(bytes);
}

std::string CharsetToCp932(std::string_view bytes, std::string_view charset_name) {
  std::string cs = Lower(charset_name);
  size_t star = cs.find('*');  // RFC 2231 language suffix
  if (star != std::string::npos) cs.resize(star);
  if (IsAscii(bytes) && AsciiStandsForItself(cs, bytes)) return std::string(bytes);
  if (IsIso2022Jp(cs)) return Iso2022JpToCp932(bytes);
  if (IsShiftJis(cs)) return std::string(bytes);
  if (IsUtf8Name(cs)) return Utf8ToCp932(bytes);
  if (IsAsciiName(cs)) {
    // 8-bit bytes under us-ascii were never ASCII: guess as undeclared.
    return UndeclaredToCp932(bytes);
  }
  if (cs == "euc-jp" || cs == "x-euc-jp" || cs == "eucjp") cs = "EUCJP-MS";
  IconvConverter* conv = ConverterToUtf8(cs);
  if (conv == nullptr) return UndeclaredToCp932(bytes);
  return Utf8ToCp932(conv->Convert(bytes, "\xEF\xBF\xBD"));
}

}  // namespace mirte::mail

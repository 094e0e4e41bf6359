#include "compose.h"

#include <openssl/rand.h>

#include <cstdio>
#include <vector>

#include "charset.h"
#include "iconv_converter.h"
#include "rfc2047.h"
#include "text_codec.h"

namespace mirte::mail {

namespace {

constexpr size_t kLineMax = 78;

// CP932 maps these to code points that ISO-2022-JP converters know by
// their JIS X 0208 names: WAVE DASH, DOUBLE VERTICAL LINE, MINUS SIGN and
// the three signs that JIS has in their narrow forms.
const struct {
  const char* cp932_form;
  const char* jis_form;
} kJisNames[] = {
    {"\xEF\xBD\x9E", "\xE3\x80\x9C"},  // U+FF5E -> U+301C
    {"\xE2\x88\xA5", "\xE2\x80\x96"},  // U+2225 -> U+2016
    {"\xEF\xBC\x8D", "\xE2\x88\x92"},  // U+FF0D -> U+2212
    {"\xEF\xBF\xA0", "\xC2\xA2"},      // U+FFE0 -> U+00A2
    {"\xEF\xBF\xA1", "\xC2\xA3"},      // U+FFE1 -> U+00A3
    {"\xEF\xBF\xA2", "\xC2\xAC"},      // U+FFE2 -> U+00AC
};

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// CR LF line ends, whatever the text had.
std::string CrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

// Splits CP932 text into its characters.
std::vector<std::string_view> Characters(std::string_view cp932) {
  std::vector<std::string_view> chars;
  size_t i = 0;
  while (i < cp932.size()) {
    size_t n = IsCp932LeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
    chars.push_back(cp932.substr(i, n));
    i += n;
  }
  return chars;
}

// The subject as encoded-words, each converted on its own (so an
// ISO-2022-JP word ends in ASCII mode) and no longer than a folded line
// allows: the first follows "Subject: ", the later ones a single space.
std::string EncodeSubject(std::string_view subject) {
  std::string jis;
  bool use_jis = Cp932ToIso2022Jp(subject, &jis);
  const std::string prefix = use_jis ? "=?ISO-2022-JP?B?" : "=?UTF-8?B?";
  auto encode = [&](std::string_view chunk) {
    std::string bytes;
    if (use_jis) {
      Cp932ToIso2022Jp(chunk, &bytes);
    } else {
      bytes = Cp932ToUtf8(chunk);
    }
    return prefix + EncodeBase64(bytes) + "?=";
  };
  std::string out;
  size_t column = 9;  // "Subject: "
  std::string chunk;
  std::string word;
  for (std::string_view ch : Characters(subject)) {
    std::string candidate = encode(chunk + std::string(ch));
    if (!chunk.empty() && column + candidate.size() > kLineMax) {
      out += word + "\r\n ";
      column = 1;
      chunk.clear();
      candidate = encode(ch);
    }
    chunk += ch;
    word = candidate;
  }
  out += word;
  return out;
}

std::string SubjectField(std::string_view raw_subject) {
  // A subject is one line: line breaks and other controls become spaces.
  std::string subject(raw_subject);
  for (char& c : subject) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  bool plain = IsAscii(subject) && subject.find("=?") == std::string_view::npos &&
               9 + subject.size() <= kLineMax;
  if (subject.empty()) return "Subject: \r\n";
  return "Subject: " + (plain ? std::string(subject) : EncodeSubject(subject)) + "\r\n";
}

std::string DateField(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  long offset = local.tm_gmtoff / 60;
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "Date: %s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld\r\n",
                kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon],
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, sign,
                offset / 60, offset % 60);
  return buffer;
}

std::string MessageIdField(std::string_view from, std::time_t now) {
  unsigned char random[12];
  if (RAND_bytes(random, sizeof random) != 1) {
    for (auto& b : random) b = static_cast<unsigned char>(std::rand());
  }
  char hex[25];
  for (int i = 0; i < 12; ++i) std::snprintf(hex + 2 * i, 3, "%02x", random[i]);
  std::string_view domain = from.substr(from.rfind('@') + 1);
  return "Message-ID: <" + std::to_string(now) + "." + hex + ".mirte@" +
         std::string(domain) + ">\r\n";
}

bool LinesFit(std::string_view text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end - start > 998) return false;
    start = end + 2;
  }
  return true;
}

std::string FoldBase64(const std::string& b64) {
  std::string out;
  for (size_t i = 0; i < b64.size(); i += 76) out += b64.substr(i, 76) + "\r\n";
  return out;
}

}  // namespace

bool Cp932ToIso2022Jp(std::string_view cp932, std::string* jis) {
  thread_local IconvConverter to_jis("ISO-2022-JP", "UTF-8",
                                     IconvConverter::SourceUnit::kUtf8);
  bool lossless = true;
  std::string utf8 = Cp932ToUtf8(cp932);
  if (Utf8ToCp932(utf8, &lossless) != cp932 || !lossless) return false;
  for (const auto& name : kJisNames) utf8 = ReplaceAll(utf8, name.cp932_form, name.jis_form);
  if (!to_jis.ConvertStrict(utf8, jis)) return false;
  // Only what comes back unchanged is sent in ISO-2022-JP.
  return Iso2022JpToCp932(*jis) == cp932;
}

std::string ComposeReply(std::string_view from, std::string_view to,
                         std::string_view subject, std::string_view body,
                         std::time_t now) {
  std::string text = CrLf(body);
  std::string content_type, encoding, encoded_body;
  std::string jis;
  if (IsAscii(text) && LinesFit(text)) {
    content_type = "text/plain; charset=US-ASCII";
    encoding = "7bit";
    encoded_body = text;
  } else if (Cp932ToIso2022Jp(text, &jis) && LinesFit(jis)) {
    content_type = "text/plain; charset=ISO-2022-JP";
    encoding = "7bit";
    encoded_body = jis;
  } else {
    content_type = "text/plain; charset=UTF-8";
    encoding = "base64";
    encoded_body = FoldBase64(EncodeBase64(Cp932ToUtf8(text)));
  }
  if (!encoded_body.empty() && !encoded_body.ends_with("\r\n")) encoded_body += "\r\n";
  std::string m;
  m += "From: " + std::string(from) + "\r\n";
  m += "To: " + std::string(to) + "\r\n";
  m += SubjectField(subject);
  m += DateField(now);
  m += MessageIdField(from, now);
  m += "MIME-Version: 1.0\r\n";
  m += "Content-Type: " + content_type + "\r\n";
  m += "Content-Transfer-Encoding: " + encoding + "\r\n";
  m += "Auto-Submitted: auto-replied\r\n";
  m += "X-Auto-Response-Suppress: All\r\n";
  m += "\r\n";
  m += encoded_body;
  return m;
}

}  // namespace mirte::mail

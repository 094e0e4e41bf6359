#include "message.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "charset.h"
#include "rfc2047.h"
#include "text_codec.h"

namespace mirte::mail {

namespace {

// Fields by which a message says that it was sent automatically (RFC 3834,
// RFC 2369, RFC 2919, and Exchange's own), listed first to last; every
// List-* field follows them.
constexpr const char* kAutoFields[] = {"Return-Path", "Auto-Submitted",
                                       "Precedence", "X-Auto-Response-Suppress"};
// Each value is cut to this many bytes, so that the fields that matter fit
// in the 8191 bytes of the library's text area.
constexpr size_t kAutoValueMax = 300;
constexpr size_t kAutoTotalMax = 8191;

bool IEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool IStartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && IEquals(s.substr(0, prefix.size()), prefix);
}

// A raw header value on one line: folding removed, controls as spaces,
// surrounding blanks trimmed.
std::string OneLine(const char* raw) {
  std::string out;
  if (raw == nullptr) return out;
  for (const char* p = raw; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\r' || c == '\n') continue;
    out.push_back(c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c));
  }
  size_t b = out.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  size_t e = out.find_last_not_of(' ');
  return out.substr(b, e - b + 1);
}

const char* RawHeader(GMimeObject* object, const char* name) {
  GMimeHeaderList* list = g_mime_object_get_header_list(object);
  GMimeHeader* h = list ? g_mime_header_list_get_header(list, name) : nullptr;
  return h ? g_mime_header_get_raw_value(h) : nullptr;
}

std::string CollectAutoHeaders(GMimeObject* object) {
  GMimeHeaderList* list = g_mime_object_get_header_list(object);
  if (list == nullptr) return std::string();
  std::string fixed, lists;
  int count = g_mime_header_list_get_count(list);
  for (const char* wanted : kAutoFields) {
    for (int i = 0; i < count; ++i) {
      GMimeHeader* h = g_mime_header_list_get_header_at(list, i);
      const char* name = g_mime_header_get_name(h);
      if (name == nullptr || !IEquals(name, wanted)) continue;
      std::string value = UndeclaredToCp932(OneLine(g_mime_header_get_raw_value(h)));
      fixed += std::string(wanted) + ": " +
               std::string(Cp932Prefix(value, kAutoValueMax)) + "\r\n";
    }
  }
  for (int i = 0; i < count; ++i) {
    GMimeHeader* h = g_mime_header_list_get_header_at(list, i);
    const char* name = g_mime_header_get_name(h);
    if (name == nullptr || !IStartsWith(name, "List-")) continue;
    std::string value = UndeclaredToCp932(OneLine(g_mime_header_get_raw_value(h)));
    std::string line = std::string(Cp932Prefix(name, 64)) + ": " +
                       std::string(Cp932Prefix(value, kAutoValueMax)) + "\r\n";
    if (fixed.size() + lists.size() + line.size() > kAutoTotalMax) break;
    lists += line;
  }
  std::string all = fixed + lists;
  if (all.size() > kAutoTotalMax) all = std::string(Cp932Prefix(all, kAutoTotalMax));
  return all;
}

std::string FirstMailbox(GMimeMessage* message) {
  InternetAddressList* list = g_mime_message_get_from(message);
  if (list == nullptr) return std::string();
  int n = internet_address_list_length(list);
  for (int i = 0; i < n; ++i) {
    InternetAddress* a = internet_address_list_get_address(list, i);
    if (!INTERNET_ADDRESS_IS_MAILBOX(a)) continue;
    const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a));
    if (addr == nullptr || *addr == '\0') return std::string();
    bool lossless = true;
    std::string cp932 = Utf8ToCp932(addr, &lossless);
    // An address that CP932 cannot hold is not one a reply can go to.
    return lossless ? cp932 : std::string();
  }
  return std::string();
}

bool IsAttachment(GMimeObject* part) {
  return GMIME_IS_PART(part) && g_mime_part_is_attachment(GMIME_PART(part));
}

bool IsTextType(GMimeObject* part, const char* subtype) {
  GMimeContentType* type = g_mime_object_get_content_type(part);
  return type != nullptr && g_mime_content_type_is_type(type, "text", subtype);
}

// The first leaf part that is text of `subtype` and not an attachment.
GMimeObject* FindTextPart(GMimeObject* object, const char* subtype, int depth) {
  if (object == nullptr || depth > 32) return nullptr;
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* mp = GMIME_MULTIPART(object);
    int n = g_mime_multipart_get_count(mp);
    for (int i = 0; i < n; ++i) {
      GMimeObject* found =
          FindTextPart(g_mime_multipart_get_part(mp, i), subtype, depth + 1);
      if (found != nullptr) return found;
    }
    return nullptr;
  }
  if (GMIME_IS_PART(object) && IsTextType(object, subtype) && !IsAttachment(object)) {
    return object;
  }
  return nullptr;
}

std::string DecodedContent(GMimeObject* object) {
  if (!GMIME_IS_PART(object)) return std::string();
  GMimeDataWrapper* wrapper = g_mime_part_get_content(GMIME_PART(object));
  if (wrapper == nullptr) return std::string();
  GMimeStream* stream = g_mime_stream_mem_new();
  g_mime_data_wrapper_write_to_stream(wrapper, stream);
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
  std::string content(reinterpret_cast<const char*>(bytes->data), bytes->len);
  g_object_unref(stream);
  const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
  return CharsetToCp932(content, charset ? charset : "");
}

// CR LF line ends, no zero bytes.
std::string NormaliseLines(std::string text) {
  // Most bodies already are: check before rebuilding.
  bool clean = text.find('\0') == std::string::npos;
  for (size_t lf = text.find('\n'); clean && lf != std::string::npos; lf = text.find('\n', lf + 1)) {
    if (lf == 0 || text[lf - 1] != '\r') clean = false;
  }
  for (size_t cr = text.find('\r'); clean && cr != std::string::npos; cr = text.find('\r', cr + 1)) {
    if (cr + 1 == text.size() || text[cr + 1] != '\n') clean = false;
  }
  if (clean) return text;
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\0') continue;
    if (c == '\r') {
      out.append("\r\n");
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out.append("\r\n");
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string BodyText(GMimeMessage* message) {
  GMimeObject* top = g_mime_message_get_mime_part(message);
  if (top == nullptr) return std::string();
  GMimeObject* part = nullptr;
  if (GMIME_IS_MULTIPART(top)) {
    part = FindTextPart(top, "plain", 0);
    if (part == nullptr) part = FindTextPart(top, "*", 0);
  } else {
    part = top;  // a single part is the body, whatever its type
  }
  if (part == nullptr) return std::string();
  std::string body = NormaliseLines(DecodedContent(part));
  TrimTrailingBlanks(&body);
  return body;
}

}  // namespace

void InitMessageParsing() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

void TrimTrailingBlanks(std::string* text) {
  std::string& s = *text;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  for (;;) {
    // ASCII blanks can never be half of a two-byte character.
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' ||
                          s.back() == '\n')) {
      s.pop_back();
    }
    size_t n = s.size();
    if (n < 2 || byte(n - 2) != 0x81 || byte(n - 1) != 0x40) return;
    // Whether that 81 opens a character: read forward from the last byte
    // below 0x40, which can be neither half of a two-byte character.
    size_t i = n - 2;
    while (i > 0 && byte(i - 1) >= 0x40) --i;
    while (i < n - 2) i += IsCp932LeadByte(byte(i)) ? 2 : 1;
    if (i != n - 2) return;  // the 81 is the second half of a character
    s.resize(n - 2);
  }
}

bool ParseMessage(std::string_view raw, FetchedMessage* out) {
  *out = FetchedMessage();
  InitMessageParsing();
  GMimeStream* stream = g_mime_stream_mem_new_with_buffer(raw.data(), raw.size());
  GMimeParser* parser = g_mime_parser_new_with_stream(stream);
  g_object_unref(stream);
  GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
  g_object_unref(parser);
  if (message == nullptr) return false;

  GMimeObject* object = GMIME_OBJECT(message);
  const char* subject = RawHeader(object, "Subject");
  if (subject != nullptr) {
    while (*subject == ' ' || *subject == '\t') ++subject;  // after the colon
    out->subject = DecodeHeaderText(subject);
  }
  out->message_id = UndeclaredToCp932(OneLine(RawHeader(object, "Message-ID")));
  out->date = UndeclaredToCp932(OneLine(RawHeader(object, "Date")));
  out->from = FirstMailbox(message);
  out->auto_headers = CollectAutoHeaders(object);
  out->body = BodyText(message);
  g_object_unref(message);
  return true;
}

}  // namespace mirte::mail

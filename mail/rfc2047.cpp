#include "rfc2047.h"

#include <algorithm>
#include <vector>

#include "charset.h"

namespace mirte::mail {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DecodeQ(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '_') {
      out.push_back(' ');
    } else if (c == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

struct Piece {
  bool encoded;
  std::string charset;  // lower case, for encoded pieces
  std::string bytes;    // decoded bytes, or the raw text
};

// Parses "=?charset?B|Q?text?=" at `pos`; on success fills `piece` and
// returns the position after it, else npos.
size_t ParseEncodedWord(std::string_view s, size_t pos, Piece* piece) {
  if (s.compare(pos, 2, "=?") != 0) return std::string_view::npos;
  size_t q1 = s.find('?', pos + 2);
  if (q1 == std::string_view::npos || q1 == pos + 2) return std::string_view::npos;
  if (q1 + 2 >= s.size() || s[q1 + 2] != '?') return std::string_view::npos;
  char enc = s[q1 + 1];
  size_t end = s.find("?=", q1 + 3);
  if (end == std::string_view::npos) return std::string_view::npos;
  std::string_view charset = s.substr(pos + 2, q1 - pos - 2);
  std::string_view text = s.substr(q1 + 3, end - q1 - 3);
  if (charset.find_first_of(" \t") != std::string_view::npos ||
      text.find_first_of(" \t") != std::string_view::npos) {
    return std::string_view::npos;
  }
  piece->encoded = true;
  piece->charset.assign(charset);
  std::transform(piece->charset.begin(), piece->charset.end(),
                 piece->charset.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  size_t star = piece->charset.find('*');
  if (star != std::string::npos) piece->charset.resize(star);
  if (enc == 'B' || enc == 'b') {
    piece->bytes = DecodeBase64(text);
  } else if (enc == 'Q' || enc == 'q') {
    piece->bytes = DecodeQ(text);
  } else {
    return std::string_view::npos;
  }
  return end + 2;
}

std::string Unfold(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (char c : raw) {
    if (c != '\r' && c != '\n') out.push_back(c);
  }
  return out;
}

}  // namespace

std::string EncodeBase64(std::string_view data) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t v = uint32_t(uint8_t(data[i])) << 16;
    if (i + 1 < data.size()) v |= uint32_t(uint8_t(data[i + 1])) << 8;
    if (i + 2 < data.size()) v |= uint8_t(data[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < data.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += i + 2 < data.size() ? kAlphabet[v & 63] : '=';
  }
  return out;
}

std::string DecodeBase64(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3 / 4);
  uint32_t acc = 0;
  int bits = 0;
  for (char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else if (c == '=') {
      bits = 0;  // padding ends a group; whatever follows starts anew
      acc = 0;
      continue;
    } else {
      continue;
    }
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((acc >> bits) & 0xFF));
    }
  }
  return out;
}

std::string DecodeHeaderText(std::string_view raw) {
  std::string s = Unfold(raw);
  std::vector<Piece> pieces;
  size_t i = 0;
  std::string plain;
  auto flush_plain = [&] {
    if (!plain.empty()) {
      pieces.push_back({false, "", plain});
      plain.clear();
    }
  };
  while (i < s.size()) {
    Piece piece;
    size_t next = s[i] == '=' ? ParseEncodedWord(s, i, &piece) : std::string::npos;
    if (next == std::string::npos) {
      plain.push_back(s[i++]);
      continue;
    }
    // White space between two encoded-words is not part of the text.
    if (!pieces.empty() && pieces.back().encoded &&
        plain.find_first_not_of(" \t") == std::string::npos) {
      plain.clear();
    }
    flush_plain();
    if (!pieces.empty() && pieces.back().encoded &&
        pieces.back().charset == piece.charset) {
      pieces.back().bytes += piece.bytes;
    } else {
      pieces.push_back(std::move(piece));
    }
    i = next;
  }
  flush_plain();

  std::string out;
  for (const Piece& p : pieces) {
    out += p.encoded ? CharsetToCp932(p.bytes, p.charset) : UndeclaredToCp932(p.bytes);
  }
  // One line: no zero bytes, controls as spaces.
  std::string line;
  line.reserve(out.size());
  for (char c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u == 0) continue;
    line.push_back(u < 0x20 || u == 0x7F ? ' ' : c);
  }
  return line;
}

}  // namespace mirte::mail

#include "archive.h"

#include "text_codec.h"

namespace mirte {

namespace {
void PutLe(std::string& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}
uint64_t GetLe(std::string_view s) {
  uint64_t v = 0;
  for (size_t i = s.size(); i-- > 0;) {
    v = (v << 8) | static_cast<unsigned char>(s[i]);
  }
  return v;
}
}  // namespace

void Archive::WriteUInt32(uint32_t v) { PutLe(out_, v, 4); }

void Archive::WriteText(std::string_view text) {
  uint64_t length = text.size();
  if (length < 0xFF) {
    PutLe(out_, length, 1);
  } else if (length < 0xFFFE) {
    PutLe(out_, 0xFF, 1);
    PutLe(out_, length, 2);
  } else if (length < 0xFFFFFFFF) {
    PutLe(out_, 0xFF, 1);
    PutLe(out_, 0xFFFF, 2);
    PutLe(out_, length, 4);
  } else {
    PutLe(out_, 0xFF, 1);
    PutLe(out_, 0xFFFF, 2);
    PutLe(out_, 0xFFFFFFFF, 4);
    PutLe(out_, length, 8);
  }
  out_.append(text);
}

std::string_view Archive::Take(uint64_t n) {
  if (n > in_.size() - pos_) {
    pos_ = in_.size();
    throw ArchiveError(ArchiveError::Kind::kEndOfFile, "unexpected end of file");
  }
  std::string_view s = in_.substr(pos_, n);
  pos_ += n;
  return s;
}

uint8_t Archive::ReadByte() { return static_cast<uint8_t>(GetLe(Take(1))); }
uint16_t Archive::ReadUInt16() { return static_cast<uint16_t>(GetLe(Take(2))); }
uint32_t Archive::ReadUInt32() { return static_cast<uint32_t>(GetLe(Take(4))); }
uint64_t Archive::ReadUInt64() { return GetLe(Take(8)); }

std::string Archive::ReadText() {
  bool utf16 = false;
  uint64_t length = ReadByte();
  if (length == 0xFF) {
    uint16_t w = ReadUInt16();
    if (w == 0xFFFE) {
      utf16 = true;
      length = ReadByte();
      if (length == 0xFF) w = ReadUInt16();
    }
    if (length == 0xFF) {
      if (w < 0xFFFF) {
        length = w;
      } else {
        uint32_t d = ReadUInt32();
        if (d < 0xFFFFFFFF) {
          length = d;
        } else {
          length = ReadUInt64();
          if (length > 0x7FFFFFFF) {
            throw ArchiveError(ArchiveError::Kind::kBadLength,
                               "text length refused");
          }
        }
      }
    }
  }
  if (!utf16) {
    std::string_view raw = Take(length);
    return std::string(raw.substr(0, raw.find('\0')));
  }
  std::string_view raw = Take(length * 2);
  size_t units = 0;
  while (units * 2 < raw.size() && (raw[units * 2] != 0 || raw[units * 2 + 1] != 0)) {
    ++units;
  }
  return Utf16LeToCp932(raw.substr(0, units * 2));
}

}  // namespace mirte

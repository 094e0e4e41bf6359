// The byte encoding of the two data files: little-endian 32-bit and byte
// fields and length-prefixed texts, written to or read from memory. One
// object works in one direction, like the document's serialisation that
// drives it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mirte {

class ArchiveError : public std::runtime_error {
 public:
  enum class Kind { kEndOfFile, kBadLength };
  ArchiveError(Kind kind, const char* what)
      : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

class Archive {
 public:
  // A storing archive that collects the bytes written.
  Archive() : storing_(true) {}
  // A loading archive over `bytes`, which must outlive it.
  explicit Archive(std::string_view bytes) : storing_(false), in_(bytes) {}

  bool IsStoring() const { return storing_; }
  const std::string& bytes() const { return out_; }

  void WriteInt32(int32_t v) { WriteUInt32(static_cast<uint32_t>(v)); }
  void WriteUInt32(uint32_t v);
  void WriteByte(uint8_t v) { out_.push_back(static_cast<char>(v)); }
  // Writes the length prefix and the bytes of a CP932 text.
  void WriteText(std::string_view text);

  // Each read throws ArchiveError when the bytes run out or a length is
  // refused.
  int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
  uint32_t ReadUInt32();
  uint8_t ReadByte();
  // Reads a text in either stored form (bytes, or UTF-16 converted to
  // CP932) and returns it up to its first zero byte or unit.
  std::string ReadText();

 private:
  uint16_t ReadUInt16();
  uint64_t ReadUInt64();
  std::string_view Take(uint64_t n);

  bool storing_;
  std::string out_;
  std::string_view in_;
  size_t pos_ = 0;
};

}  // namespace mirte

#include "address.h"

namespace mirte::mail {

bool IsSafeAddress(std::string_view address) {
  size_t at = address.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == address.size() ||
      address.find('@', at + 1) != std::string_view::npos) {
    return false;
  }
  for (unsigned char c : address) {
    if (c <= 0x20 || c >= 0x7F) return false;
    if (std::string_view("<>()[]\\,;:\"").find(static_cast<char>(c)) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

std::string_view LocalPart(std::string_view address) {
  return address.substr(0, address.rfind('@'));
}

}  // namespace mirte::mail

#include "loop_protection.h"

#include <algorithm>
#include <string>

#include "address.h"

namespace mirte {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view Trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// The first token of a field value: up to ";", "(" or a blank.
std::string FirstToken(std::string_view value) {
  value = Trim(value);
  return Lower(value.substr(0, value.find_first_of(";( \t")));
}

bool ListHas(std::string_view value, std::string_view wanted) {
  std::string lower = Lower(value);
  size_t pos = 0;
  while (pos <= lower.size()) {
    size_t comma = lower.find(',', pos);
    if (comma == std::string::npos) comma = lower.size();
    if (Trim(std::string_view(lower).substr(pos, comma - pos)) == wanted) return true;
    pos = comma + 1;
  }
  return false;
}

bool IsAutomaticField(std::string_view name, std::string_view value) {
  std::string n = Lower(name);
  if (n == "return-path") {
    std::string v(Trim(value));
    v.erase(std::remove(v.begin(), v.end(), ' '), v.end());
    return v == "<>";
  }
  if (n == "auto-submitted") return FirstToken(value) != "no";
  if (n == "precedence") {
    std::string v = FirstToken(value);
    return v == "bulk" || v == "junk" || v == "list";
  }
  if (n.rfind("list-", 0) == 0) return true;
  if (n == "x-auto-response-suppress") return ListHas(value, "all") || ListHas(value, "oof");
  return false;
}

bool IsRoleSender(std::string_view sender) {
  std::string local = Lower(mail::LocalPart(sender));
  auto ends_with = [&](std::string_view tail) {
    return local.size() >= tail.size() && local.compare(local.size() - tail.size(), tail.size(), tail) == 0;
  };
  return local == "mailer-daemon" || local == "listserv" || local == "majordomo" ||
         local.rfind("owner-", 0) == 0 || ends_with("-request");
}

}  // namespace

bool MustNotAnswer(std::string_view auto_headers, std::string_view sender,
                   std::string_view own_address) {
  size_t pos = 0;
  while (pos < auto_headers.size()) {
    size_t end = auto_headers.find("\r\n", pos);
    if (end == std::string_view::npos) end = auto_headers.size();
    std::string_view line = auto_headers.substr(pos, end - pos);
    size_t colon = line.find(':');
    if (colon != std::string_view::npos &&
        IsAutomaticField(Trim(line.substr(0, colon)), line.substr(colon + 1))) {
      return true;
    }
    pos = end + 2;
  }
  if (IsRoleSender(sender)) return true;
  return !own_address.empty() && Lower(Trim(sender)) == Lower(Trim(own_address));
}

}  // namespace mirte

// Fetches one message through the library's two fetch calls, as the
// wrapper does, and keeps every output.
#pragma once

#include <string>

namespace mirte::testing {

struct FetchedMail {
  int size = 0;    // NMailPop3GetMailSize's result
  int result = 0;  // NMailPop3GetMail's result
  std::string subject, identity, from, header, body;
};

FetchedMail FetchMessage(int handle, int number);

}  // namespace mirte::testing

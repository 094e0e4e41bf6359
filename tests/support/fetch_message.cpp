#include "fetch_message.h"

#include <vector>

#include "nmail.h"

namespace mirte::testing {

FetchedMail FetchMessage(int handle, int number) {
  FetchedMail f;
  std::vector<char> areas(4 * 8192);
  f.size = NMailPop3GetMailSize(handle, number);
  std::vector<char> body(f.size < 0 ? 1 : static_cast<size_t>(f.size) + 1);
  f.result = NMailPop3GetMail(handle, number, &areas[0], &areas[8192], &areas[16384],
                              &areas[24576], body.data(), 0, 0);
  f.subject = &areas[0];
  f.identity = &areas[8192];
  f.from = &areas[16384];
  f.header = &areas[24576];
  f.body = body.data();
  return f;
}

}  // namespace mirte::testing

#include "tls_policy.h"

#include <mutex>
#include <set>

namespace mirte::mail {

namespace {
std::mutex g_mutex;
std::set<int>& Ports() {
  static std::set<int> ports{995, 465};
  return ports;
}
}  // namespace

bool IsImplicitTlsPort(int port) {
  std::lock_guard lock(g_mutex);
  return Ports().count(port) > 0;
}

void AddImplicitTlsPort(int port) {
  std::lock_guard lock(g_mutex);
  Ports().insert(port);
}

}  // namespace mirte::mail

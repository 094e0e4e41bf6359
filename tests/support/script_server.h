// A scripted server on 127.0.0.1 for behaviour that real servers will not
// show on demand: silence, garbage, broken-off replies, endless lines. Each
// accepted connection runs the script in the server's own thread.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace mirte::testing {

class ScriptServer {
 public:
  using Script = std::function<void(int fd)>;
  explicit ScriptServer(Script script);
  ~ScriptServer();

  int port() const { return port_; }

  // Helpers for scripts.
  static void Send(int fd, const std::string& bytes);
  // Reads one line (without CR LF); empty at end of input or after 5 s.
  static std::string ReadLine(int fd);

 private:
  void Run();

  Script script_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace mirte::testing

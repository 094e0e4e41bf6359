// A TCP connection with optional TLS, with a bounded wait on every read and
// write. Certificates are checked against the system's trusted store (which
// SSL_CERT_FILE and SSL_CERT_DIR can name) and the host name.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include <sys/socket.h>

typedef struct ssl_st SSL;

namespace mirte::mail {

enum class NetError { kNone, kResolve, kConnect, kTls, kTimeout, kClosed, kIo, kTooLong };

// How long any single network wait may last before the call fails.
std::chrono::milliseconds NetworkTimeout();
// Replaces the time-out (tests shorten it); a zero restores the default.
void SetNetworkTimeout(std::chrono::milliseconds timeout);

// Loads the trusted certificates and prepares TLS, unless that was done
// already; connections until ReleaseTls use what was loaded then. Returns
// false when TLS cannot be prepared. StartTls calls it when needed.
bool InitTls();
// Forgets what InitTls prepared.
void ReleaseTls();

class Connection {
 public:
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Resolves `host` (names, IPv4 and IPv6 literals) and connects to the
  // first address that answers. With `tls`, the TLS handshake follows at
  // once. Returns null and sets `error` on failure.
  static std::unique_ptr<Connection> Open(const std::string& host, int port,
                                          bool tls, NetError* error);

  // Upgrades the connection to TLS (STLS, STARTTLS). The host name given to
  // Open is the one verified.
  bool StartTls();

  // Reads one line, without its line end (CR LF or LF). Lines longer than
  // `max_length` fail with kTooLong.
  bool ReadLine(std::string* line, size_t max_length = 65536);

  // Reads a POP3/SMTP multi-line body up to the line holding a single ".",
  // undoing dot-stuffing; lines keep CR LF. At most `max_bytes` are kept;
  // the rest is read and dropped, and `truncated` tells.
  bool ReadDotTerminated(std::string* out, size_t max_bytes, bool* truncated);

  bool Write(std::string_view bytes);

  // The address of our end of the connection.
  bool LocalAddress(::sockaddr* address, unsigned int* length) const;

  bool is_tls() const { return ssl_ != nullptr; }
  NetError error() const { return error_; }
  // A short description of the last failure, for diagnostics.
  const std::string& error_text() const { return error_text_; }

 private:
  Connection(int fd, std::string host);
  bool Fill();  // reads more bytes into the buffer
  bool WaitFor(bool write, std::chrono::steady_clock::time_point deadline);
  bool Fail(NetError error, std::string text);

  int fd_;
  std::string host_;
  SSL* ssl_ = nullptr;
  // Bytes read and not yet taken: buffer_[start_, end_). The buffer is not
  // zero-filled when it grows; it is read into directly.
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  size_t start_ = 0;
  size_t end_ = 0;
  NetError error_ = NetError::kNone;
  std::string error_text_;
};

}  // namespace mirte::mail

#include "net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <algorithm>
#include <cstring>
#include <mutex>

namespace mirte::mail {

namespace {

constexpr std::chrono::milliseconds kDefaultTimeout{60000};
std::atomic<long long> g_timeout_ms{kDefaultTimeout.count()};

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline() { return Clock::now() + NetworkTimeout(); }

SSL_CTX* g_tls_context = nullptr;

SSL_CTX* NewClientContext() {
  SSL_CTX* c = SSL_CTX_new(TLS_client_method());
  if (c == nullptr) return c;
  SSL_CTX_set_min_proto_version(c, TLS1_2_VERSION);
  SSL_CTX_set_default_verify_paths(c);
  SSL_CTX_set_verify(c, SSL_VERIFY_PEER, nullptr);
  SSL_CTX_set_mode(c, SSL_MODE_ENABLE_PARTIAL_WRITE |
                          SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  return c;
}

bool IsIpLiteral(const std::string& host) {
  unsigned char buf[sizeof(struct in6_addr)];
  return inet_pton(AF_INET, host.c_str(), buf) == 1 ||
         inet_pton(AF_INET6, host.c_str(), buf) == 1;
}

int ConnectOne(const addrinfo* ai, Clock::time_point deadline) {
  int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                    ai->ai_protocol);
  if (fd < 0) return -1;
  if (::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0) return fd;
  if (errno != EINPROGRESS) {
    ::close(fd);
    return -1;
  }
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLOUT, 0};
    int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0) {
      return fd;
    }
    break;
  }
  ::close(fd);
  return -1;
}

}  // namespace

bool InitTls() {
  if (g_tls_context == nullptr) g_tls_context = NewClientContext();
  return g_tls_context != nullptr;
}

void ReleaseTls() {
  SSL_CTX_free(g_tls_context);
  g_tls_context = nullptr;
}

std::chrono::milliseconds NetworkTimeout() {
  return std::chrono::milliseconds(g_timeout_ms.load());
}

void SetNetworkTimeout(std::chrono::milliseconds timeout) {
  g_timeout_ms = timeout.count() > 0 ? timeout.count() : kDefaultTimeout.count();
}

Connection::Connection(int fd, std::string host)
    : fd_(fd), host_(std::move(host)) {}

Connection::~Connection() {
  if (ssl_ != nullptr) {
    // A quiet close: no waiting for the peer's close_notify.
    SSL_set_quiet_shutdown(ssl_, 1);
    SSL_free(ssl_);
  }
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<Connection> Connection::Open(const std::string& host, int port,
                                             bool tls, NetError* error) {
  *error = NetError::kNone;
  if (port < 0 || port > 65535 || host.empty()) {
    *error = NetError::kResolve;
    return nullptr;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG;
  addrinfo* list = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0) {
    hints.ai_flags = 0;  // loopback-only machines have no configured address
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0) {
      *error = NetError::kResolve;
      return nullptr;
    }
  }
  auto deadline = Deadline();
  int fd = -1;
  for (addrinfo* ai = list; ai != nullptr && fd < 0; ai = ai->ai_next) {
    fd = ConnectOne(ai, deadline);
  }
  ::freeaddrinfo(list);
  if (fd < 0) {
    *error = NetError::kConnect;
    return nullptr;
  }
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::unique_ptr<Connection> c(new Connection(fd, host));
  if (tls && !c->StartTls()) {
    *error = c->error();
    return nullptr;
  }
  return c;
}

bool Connection::Fail(NetError error, std::string text) {
  error_ = error;
  error_text_ = std::move(text);
  return false;
}

bool Connection::WaitFor(bool write, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) return Fail(NetError::kTimeout, "timed out");
    pollfd p{fd_, static_cast<short>(write ? POLLOUT : POLLIN), 0};
    int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r > 0) return true;
    if (r == 0) return Fail(NetError::kTimeout, "timed out");
    if (errno != EINTR) return Fail(NetError::kIo, std::strerror(errno));
  }
}

bool Connection::StartTls() {
  if (!InitTls()) return Fail(NetError::kTls, "no TLS context");
  ssl_ = SSL_new(g_tls_context);
  if (ssl_ == nullptr) return Fail(NetError::kTls, "no TLS session");
  SSL_set_fd(ssl_, fd_);
  X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
  if (IsIpLiteral(host_)) {
    X509_VERIFY_PARAM_set1_ip_asc(param, host_.c_str());
  } else {
    SSL_set_tlsext_host_name(ssl_, host_.c_str());
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    X509_VERIFY_PARAM_set1_host(param, host_.c_str(), 0);
  }
  // Bytes read before the upgrade belong to the plain-text dialogue; a
  // server that sent more than its reply is not to be trusted.
  start_ = end_ = 0;
  auto deadline = Deadline();
  for (;;) {
    ERR_clear_error();
    int r = SSL_connect(ssl_);
    if (r == 1) break;
    int e = SSL_get_error(ssl_, r);
    if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) {
      if (!WaitFor(e == SSL_ERROR_WANT_WRITE, deadline)) return false;
      continue;
    }
    long verify = SSL_get_verify_result(ssl_);
    std::string text = verify != X509_V_OK
                           ? X509_verify_cert_error_string(verify)
                           : "TLS handshake failed";
    return Fail(NetError::kTls, text);
  }
  return true;
}

bool Connection::Fill() {
  constexpr size_t kChunk = 65536;
  if (start_ == end_) {
    start_ = end_ = 0;
  } else if (start_ > kChunk) {
    std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
  }
  if (capacity_ - end_ < kChunk) {
    size_t capacity = std::max(capacity_ * 2, end_ + kChunk);
    std::unique_ptr<char[]> grown(new char[capacity]);
    if (end_ > 0) std::memcpy(grown.get(), buffer_.get(), end_);
    buffer_ = std::move(grown);
    capacity_ = capacity;
  }
  char* into = buffer_.get() + end_;
  const size_t room = capacity_ - end_;
  auto deadline = Deadline();
  for (;;) {
    ssize_t n;
    if (ssl_ != nullptr) {
      ERR_clear_error();
      size_t got = 0;
      int r = SSL_read_ex(ssl_, into, room, &got);
      if (r == 1) {
        n = static_cast<ssize_t>(got);
      } else {
        int e = SSL_get_error(ssl_, r);
        if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) {
          if (!WaitFor(e == SSL_ERROR_WANT_WRITE, deadline)) return false;
          continue;
        }
        if (e == SSL_ERROR_ZERO_RETURN) return Fail(NetError::kClosed, "closed");
        return Fail(NetError::kIo, "TLS read failed");
      }
    } else {
      n = ::recv(fd_, into, room, 0);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
          if (!WaitFor(false, deadline)) return false;
          continue;
        }
        if (errno == EINTR) continue;
        return Fail(NetError::kIo, std::strerror(errno));
      }
    }
    if (n == 0) return Fail(NetError::kClosed, "connection closed");
    end_ += static_cast<size_t>(n);
    return true;
  }
}

bool Connection::ReadLine(std::string* line, size_t max_length) {
  size_t searched = start_;
  for (;;) {
    const char* data = buffer_.get();
    const void* hit = searched < end_ ? std::memchr(data + searched, '\n', end_ - searched) : nullptr;
    if (hit != nullptr) {
      size_t lf = static_cast<const char*>(hit) - data;
      size_t end = lf;
      if (end > start_ && data[end - 1] == '\r') --end;
      if (end - start_ > max_length) return Fail(NetError::kTooLong, "line too long");
      line->assign(data + start_, end - start_);
      start_ = lf + 1;
      return true;
    }
    if (end_ - start_ > max_length + 1) return Fail(NetError::kTooLong, "line too long");
    size_t unread_before = start_;
    searched = end_;
    if (!Fill()) return false;
    searched -= unread_before - start_;  // Fill may have moved the unread bytes
  }
}

bool Connection::ReadDotTerminated(std::string* out, size_t max_bytes,
                                   bool* truncated) {
  out->clear();
  *truncated = false;
  auto keep = [&](const char* data, size_t length) {
    size_t room = max_bytes - std::min(max_bytes, out->size());
    if (length > room) {
      *truncated = true;
      length = room;
    }
    out->append(data, length);
  };
  // Only lines that begin with a dot need a look: the rest is copied in
  // spans, whatever their length.
  bool at_line_start = true;
  for (;;) {
    const char* data = buffer_.get();
    const size_t end = end_;
    size_t pos = start_;
    while (pos < end) {
      if (at_line_start && data[pos] == '.') {
        if (pos + 1 >= end) break;  // more bytes needed to tell
        if (data[pos + 1] == '\n') {
          start_ = pos + 2;
          return true;
        }
        if (data[pos + 1] == '\r') {
          if (pos + 2 >= end) break;
          if (data[pos + 2] == '\n') {
            start_ = pos + 3;
            return true;
          }
        }
        ++pos;  // the dot that stuffing added
      }
      const void* hit = ::memmem(data + pos, end - pos, "\n.", 2);
      size_t span_end = hit ? static_cast<const char*>(hit) - data + 1 : end;
      keep(data + pos, span_end - pos);
      at_line_start = data[span_end - 1] == '\n';
      pos = span_end;
    }
    start_ = pos;
    if (!Fill()) return false;
  }
}

bool Connection::LocalAddress(sockaddr* address, unsigned int* length) const {
  return ::getsockname(fd_, address, length) == 0;
}

bool Connection::Write(std::string_view bytes) {
  auto deadline = Deadline();
  while (!bytes.empty()) {
    ssize_t n;
    if (ssl_ != nullptr) {
      ERR_clear_error();
      size_t put = 0;
      int r = SSL_write_ex(ssl_, bytes.data(), bytes.size(), &put);
      if (r == 1) {
        n = static_cast<ssize_t>(put);
      } else {
        int e = SSL_get_error(ssl_, r);
        if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) {
          if (!WaitFor(e == SSL_ERROR_WANT_WRITE, deadline)) return false;
          continue;
        }
        return Fail(NetError::kIo, "TLS write failed");
      }
    } else {
      n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
          if (!WaitFor(true, deadline)) return false;
          continue;
        }
        if (errno == EINTR) continue;
        return Fail(NetError::kIo, std::strerror(errno));
      }
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace mirte::mail

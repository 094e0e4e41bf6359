#include "test_servers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <iomanip>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

namespace mirte::testing {

namespace fs = std::filesystem;

const TestServers& TestServers::Get() {
  static TestServers servers = [] {
    TestServers s;
    const char* dir = std::getenv("MIRTE_TEST_SERVERS");
    if (dir == nullptr) {
      ADD_FAILURE() << "MIRTE_TEST_SERVERS is not set: run through ctest";
      return s;
    }
    std::ifstream in(std::string(dir) + "/servers.env");
    std::map<std::string, std::string> env;
    std::string line;
    while (std::getline(in, line)) {
      size_t eq = line.find('=');
      if (eq != std::string::npos) env[line.substr(0, eq)] = line.substr(eq + 1);
    }
    auto num = [&](const char* key) {
      return env.count(key) ? std::atoi(env[key].c_str()) : 0;
    };
    s.dir = env["DIR"];
    s.ca_file = env["CA_FILE"];
    s.other_ca_file = env["OTHER_CA_FILE"];
    s.password = env["POP3_PASSWORD"];
    s.mail_dir = env["MAIL_DIR"];
    s.pop3_port = num("POP3_PORT");
    s.pop3s_port = num("POP3S_PORT");
    s.smtp_port = num("SMTP_PORT");
    s.smtps_port = num("SMTPS_PORT");
    s.submission_port = num("SUBMISSION_PORT");
    s.mail_uid = num("MAIL_UID");
    s.mail_gid = num("MAIL_GID");
    if (s.pop3_port == 0) ADD_FAILURE() << "no test servers in " << dir;
    // The test CA stands in for the system's trusted store.
    ::setenv("SSL_CERT_FILE", s.ca_file.c_str(), 1);
    return s;
  }();
  return servers;
}

void TestServers::ClearMailbox(const std::string& user) const {
  for (const char* sub : {"new", "cur", "tmp"}) {
    fs::path p = fs::path(mail_dir) / user / "Maildir" / sub;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(p, ec)) fs::remove(e.path(), ec);
  }
}

void TestServers::Deliver(const std::string& user, const std::string& message) const {
  static std::atomic<unsigned> counter{0};
  // Maildir names sort by time of delivery; the counter keeps the order of
  // deliveries within one second.
  std::ostringstream name;
  name << std::time(nullptr) << ".M" << std::setw(9) << std::setfill('0')
       << counter++ << "P" << ::getpid() << ".mirte-test";
  fs::path dir = fs::path(mail_dir) / user / "Maildir";
  fs::path tmp = dir / "tmp" / name.str();
  {
    std::ofstream out(tmp, std::ios::binary);
    out << message;
  }
  if (::geteuid() == 0) {
    (void)::chown(tmp.c_str(), static_cast<uid_t>(mail_uid), static_cast<gid_t>(mail_gid));
  }
  fs::rename(tmp, dir / "new" / name.str());
}

std::vector<TestServers::Captured> TestServers::CapturedMail() const {
  std::vector<Captured> mail;
  fs::path captured = fs::path(dir) / "captured";
  std::vector<fs::path> files;
  std::error_code ec;
  for (auto& e : fs::directory_iterator(captured, ec)) {
    if (e.path().extension() == ".eml") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    Captured c;
    // The capture file starts with envelope lines, then a blank line.
    size_t pos = 0;
    for (;;) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos || end == pos) {
        pos = end == std::string::npos ? text.size() : end + 1;
        break;
      }
      std::string line = text.substr(pos, end - pos);
      pos = end + 1;
      if (line.rfind("MAIL FROM:", 0) == 0) c.mail_from = line.substr(10);
      else if (line.rfind("RCPT TO:", 0) == 0) c.rcpt_to.push_back(line.substr(8));
      else if (line.rfind("AUTH:", 0) == 0) c.auth_user = line.substr(5);
      else if (line == "TLS: yes") c.tls = true;
    }
    c.content = text.substr(pos);
    mail.push_back(std::move(c));
  }
  return mail;
}

void TestServers::ClearCaptured() const {
  std::error_code ec;
  for (auto& e : fs::directory_iterator(fs::path(dir) / "captured", ec)) {
    fs::remove(e.path(), ec);
  }
}

}  // namespace mirte::testing

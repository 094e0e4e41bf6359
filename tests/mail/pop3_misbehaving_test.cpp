// The library's POP3 side against scripted servers that misbehave in ways
// Dovecot never does.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <map>
#include <vector>

#include "fetch_message.h"
#include "net.h"
#include "nmail.h"
#include "script_server.h"

namespace mirte {
namespace {

using testing::ScriptServer;

// A minimal POP3 server without CAPA and UIDL: USER/PASS, STAT, RETR, QUIT.
// `retr` gives the bytes sent after "+OK" for a message number.
void PlainPop3(int fd, const std::string& greeting, int count,
               const std::function<std::string(int)>& retr) {
  ScriptServer::Send(fd, greeting + "\r\n");
  for (;;) {
    std::string line = ScriptServer::ReadLine(fd);
    if (line.empty() || line == "QUIT") return;
    if (line.rfind("USER", 0) == 0 || line.rfind("PASS", 0) == 0 || line == "RSET") {
      ScriptServer::Send(fd, "+OK\r\n");
    } else if (line == "STAT") {
      ScriptServer::Send(fd, "+OK " + std::to_string(count) + " 100\r\n");
    } else if (line.rfind("RETR ", 0) == 0) {
      std::string reply = retr(std::stoi(line.substr(5)));
      ScriptServer::Send(fd, reply);
      if (reply.empty()) return;  // broken off
    } else {
      ScriptServer::Send(fd, "-ERR unknown\r\n");
    }
  }
}

using Fetched = testing::FetchedMail;

class Pop3MisbehavingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mail::SetNetworkTimeout(std::chrono::milliseconds(400));
    ASSERT_EQ(NMailInitializeWinSock(), 0);
  }
  void TearDown() override {
    NMailEndWinSock();
    mail::SetNetworkTimeout(std::chrono::milliseconds(0));
  }

  Fetched Get(int handle, int number) { return testing::FetchMessage(handle, number); }
};

TEST_F(Pop3MisbehavingTest, SilenceAfterTheGreetingIsATimeOut) {
  ScriptServer server([](int fd) {
    ScriptServer::Send(fd, "+OK ready <1.2@test>\r\n");
    ScriptServer::ReadLine(fd);
    ScriptServer::ReadLine(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  });
  auto start = std::chrono::steady_clock::now();
  int handle = NMailPop3ConnectPortNo("127.0.0.1", server.port());
  ASSERT_GE(handle, 0);
  EXPECT_EQ(NMailPop3Authenticate(handle, "u", "p", 0), NMAIL_ERR_TIMEOUT);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(NMailPop3Close(handle), NMAIL_SUCCESS);
}

TEST_F(Pop3MisbehavingTest, GreetingsThatAreNotPop3FailTheConnect) {
  for (std::string greeting : {std::string("HTTP/1.1 400 Bad Request\r\n"),
                               std::string("-ERR go away\r\n"), std::string(),
                               std::string(100000, 'x')}) {
    ScriptServer server([&](int fd) {
      ScriptServer::Send(fd, greeting);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    EXPECT_EQ(NMailPop3ConnectPortNo("127.0.0.1", server.port()), -1)
        << greeting.substr(0, 30);
  }
}

TEST_F(Pop3MisbehavingTest, ApopWithoutAChallengeIsRefusedBeforeSending) {
  ScriptServer server([](int fd) { PlainPop3(fd, "+OK no challenge", 0, nullptr); });
  int handle = NMailPop3ConnectPortNo("127.0.0.1", server.port());
  ASSERT_GE(handle, 0);
  EXPECT_EQ(NMailPop3Authenticate(handle, "u", "p", 1), NMAIL_ERR_NO_APOP);
  EXPECT_EQ(NMailPop3Authenticate(handle, "u", "p", 0), 0);
  NMailPop3Close(handle);
}

TEST_F(Pop3MisbehavingTest, ReplyBrokenOffInsideAMessage) {
  ScriptServer server([](int fd) {
    PlainPop3(fd, "+OK", 2, [fd](int n) {
      if (n == 1) ScriptServer::Send(fd, "+OK\r\nSubject: cut\r\nFrom: a@b\r\n\r\nhalf a bo");
      return std::string();
    });
  });
  int handle = NMailPop3ConnectPortNo("127.0.0.1", server.port());
  ASSERT_EQ(NMailPop3Authenticate(handle, "u", "p", 0), 2);
  Fetched first = Get(handle, 1);
  EXPECT_LT(first.size, 0);
  EXPECT_LT(first.result, 0);
  EXPECT_EQ(first.subject + first.from, "");
  EXPECT_LT(Get(handle, 2).result, 0);
  NMailPop3Close(handle);
}

TEST_F(Pop3MisbehavingTest, EndlessLinesNulBytesAndMissingFields) {
  const std::string endless(70u << 20, 'x');
  std::map<int, std::string> messages = {
      {1, "Subject: big\r\nMessage-ID: <big@x>\r\nFrom: a@example.com\r\n\r\n" +
              endless + "\r\n"},
      {2, std::string("Subject: n") + '\0' +
              "ul\r\nDate: Mon, 1 Jan 2024 00:00:00 +0000\r\n"
              "From: b@example.com\r\n\r\nab" + '\0' + "cd\r\n"},
      {3, "Subject: =?iso-2022-jp?B?GyRCJCIbKEI?=\r\nFrom: garbage <<<\r\n\r\n.leading dot\r\n"},
      {4, "no header at all, just text\r\n"},
  };
  for (auto& [n, raw] : messages) {
    std::string stuffed;
    size_t pos = 0;
    while (pos < raw.size()) {
      size_t end = raw.find("\r\n", pos);
      end = end == std::string::npos ? raw.size() : end + 2;
      if (raw[pos] == '.') stuffed += '.';
      stuffed.append(raw, pos, end - pos);
      pos = end;
    }
    raw = "+OK\r\n" + stuffed + ".\r\n";
  }
  // Seventy megabytes take longer than the other tests' short time-out.
  mail::SetNetworkTimeout(std::chrono::seconds(20));
  ScriptServer server([&](int fd) {
    PlainPop3(fd, "+OK", 4, [&](int n) { return messages[n]; });
  });
  int handle = NMailPop3ConnectPortNo("127.0.0.1", server.port());
  ASSERT_EQ(NMailPop3Authenticate(handle, "u", "p", 0), 4);

  Fetched big = Get(handle, 1);
  EXPECT_EQ(big.result, 0);
  EXPECT_EQ(big.subject, "big");
  EXPECT_EQ(big.identity, "<big@x>");  // no UIDL: the Message-ID
  EXPECT_GT(big.size, 1 << 20);
  EXPECT_LE(big.size, 64 << 20);

  Fetched nul = Get(handle, 2);
  EXPECT_EQ(nul.result, 0);
  EXPECT_EQ(nul.subject, "n");  // a zero byte ends the field
  EXPECT_EQ(nul.identity, "Mon, 1 Jan 2024 00:00:00 +0000");  // nor Message-ID
  EXPECT_EQ(nul.body, "abcd");
  EXPECT_EQ(nul.size, 4);

  Fetched odd = Get(handle, 3);
  EXPECT_EQ(odd.result, 0);
  EXPECT_EQ(odd.subject, "\x82\xA0");  // あ, though the word lacks its padding
  EXPECT_EQ(odd.body, ".leading dot");

  Fetched none = Get(handle, 4);
  EXPECT_EQ(none.subject + none.from + none.identity, "");
  NMailPop3Close(handle);
}

}  // namespace
}  // namespace mirte

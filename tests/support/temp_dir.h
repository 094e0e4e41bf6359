// Test helpers: a private working directory (the program keeps its files in
// the current directory) and a message port that records what it showed.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "message_port.h"

namespace mirte::testing {

// Makes a fresh directory, enters it, and on destruction returns to the old
// working directory and removes it.
class ScopedWorkDir {
 public:
  ScopedWorkDir();
  ~ScopedWorkDir();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string old_cwd_;
};

// A fixture whose tests run in their own working directory.
class WorkDirTest : public ::testing::Test {
 protected:
  ScopedWorkDir work_dir_;
};

class RecordingMessagePort : public MessagePort {
 public:
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.emplace_back(text, icon);
  }
  // The texts shown, converted to UTF-8 for readable comparisons.
  std::vector<std::string> Texts() const;

  std::vector<std::pair<std::string, MessageIcon>> messages;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Bytes from a list of hex pairs separated by blanks: "6E 00 00 00".
std::string Hex(const std::string& hex);

}  // namespace mirte::testing

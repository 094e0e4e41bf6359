#include "temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "text_codec.h"

namespace mirte::testing {

ScopedWorkDir::ScopedWorkDir() {
  old_cwd_ = std::filesystem::current_path().string();
  std::string pattern =
      (std::filesystem::temp_directory_path() / "mirte-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  if (made == nullptr) std::abort();
  path_ = made;
  std::filesystem::current_path(path_);
}

ScopedWorkDir::~ScopedWorkDir() {
  std::filesystem::current_path(old_cwd_);
  std::error_code ec;
  // Undo read-only modes that tests set so that everything can go.
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
    ::chmod(entry.path().c_str(), 0700);
  }
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> RecordingMessagePort::Texts() const {
  std::vector<std::string> texts;
  for (const auto& m : messages) texts.push_back(Cp932ToUtf8(m.first));
  return texts;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool FileExists(const std::string& path) {
  return std::filesystem::exists(path);
}

std::string Hex(const std::string& hex) {
  std::string bytes;
  std::istringstream in(hex);
  std::string pair;
  while (in >> pair) {
    bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
  }
  return bytes;
}

}  // namespace mirte::testing

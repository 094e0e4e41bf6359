#include "activity_log.h"

#include <sys/stat.h>

#include <vector>

#include "file_replace.h"
#include "text_codec.h"

namespace mirte {

namespace {

// Splits the log as a text-mode reader sees it: CR LF and a lone LF end a
// line, a lone CR stays in its line, 0x1A ends the file, and a last line
// without an end still counts. Stops after the first 1000 lines.
std::vector<std::string_view> ReadLines(std::string_view bytes) {
  size_t eof = bytes.find('\x1A');
  if (eof != std::string_view::npos) bytes = bytes.substr(0, eof);
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size() && lines.size() < kLogMaxLines) {
    size_t lf = bytes.find('\n', start);
    size_t end = lf == std::string_view::npos ? bytes.size() : lf;
    size_t text_end = end;
    if (lf != std::string_view::npos && text_end > start &&
        bytes[text_end - 1] == '\r') {
      --text_end;
    }
    lines.push_back(bytes.substr(start, text_end - start));
    start = end + 1;
  }
  return lines;
}

int Refuse(MessagePort& port) {
  port.ShowMessage(Cp932("書き込みファイル作成失敗"), MessageIcon::kWarning);
  return -1;
}

}  // namespace

int AppendLog(const std::string& file_name, std::string_view text,
              MessagePort& port) {
  int result = 0;
  std::string old_bytes;
  ReplaceOptions options;
  struct stat st;
  if (::stat(file_name.c_str(), &st) == 0) {
    // A log that cannot be read, or that its owner has made read-only, is
    // left alone: replacing it would lose its lines.
    if ((st.st_mode & S_IWUSR) == 0 || !ReadWholeFile(file_name, &old_bytes)) {
      return Refuse(port);
    }
    options.mode = st.st_mode & 07777;
  } else {
    result = -1;
  }

  std::vector<std::string_view> lines = ReadLines(old_bytes);
  size_t first = lines.size() >= kLogMaxLines ? 1 : 0;
  std::string out;
  out.reserve(old_bytes.size() + text.size() + 2 * lines.size() + 2);
  for (size_t i = first; i < lines.size(); ++i) {
    out.append(lines[i]);
    out.append("\r\n");
  }
  out.append(text);
  out.append("\r\n");

  if (ReplaceFile(file_name, out, options) != ReplaceResult::kReplaced) {
    return Refuse(port);
  }
  return result;
}

std::string LogTimeStamp(std::time_t time) {
  std::tm local{};
  if (::localtime_r(&time, &local) == nullptr) return std::string();
  char buffer[128];
  size_t n = std::strftime(buffer, sizeof buffer, " %y %m/%d %H:%M:%S", &local);
  return std::string(buffer, n);
}

}  // namespace mirte

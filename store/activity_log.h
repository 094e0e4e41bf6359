// The activity log "log.txt": CP932 lines ending in CR LF, kept at no more
// than 1000 lines by dropping the oldest.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "message_port.h"

namespace mirte {

inline constexpr char kLogFileName[] = "log.txt";
inline constexpr size_t kLogMaxLines = 1000;

// Appends `text` as the last line of the log `file_name`, dropping the first
// line when the log already holds 1000 or more (lines after the 1000th are
// dropped too). The log is replaced whole, never left half written.
// Returns 0 when an existing log was read and rewritten; -1 when there was
// no log (it is created with the one line), or when the log could not be
// read or written: then "書き込みファイル作成失敗" is shown and the log
// stays as it was.
int AppendLog(const std::string& file_name, std::string_view text,
              MessagePort& port);

// " %y %m/%d %H:%M:%S" of `time` in local time, or "" when it cannot be
// converted.
std::string LogTimeStamp(std::time_t time);

}  // namespace mirte

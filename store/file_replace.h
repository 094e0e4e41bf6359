// Writing a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a new file beside the target, are flushed to the
// disk, and only then renamed over the target.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace mirte {

enum class ReplaceResult {
  kReplaced,      // the file now holds exactly `bytes`
  kCannotCreate,  // neither a new file nor the target could be opened
  kWriteFailed,   // opened, but writing or flushing failed; target unchanged
};

struct ReplaceOptions {
  // Permissions of the file written; nullopt: 0666 less the umask.
  std::optional<mode_t> mode;
  // When the directory refuses a new file, the target is written in place;
  // this allows that write to clear a read-only target's protection first.
  bool clear_read_only = false;
};

ReplaceResult ReplaceFile(const std::string& path, std::string_view bytes,
                          const ReplaceOptions& options);

// Reads a whole file. Returns false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string* bytes);

}  // namespace mirte

#pragma once
// Writing a file so that a failure never costs the file that was there before.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kvqor {

// Writes `content` to `target`. A regular file (or a name not yet taken) is written as a new
// file beside the target, flushed to the disk and then renamed over it, so the old file stays
// whole until the new one is complete; a symbolic link is followed and the file it names is
// replaced, keeping the link; an existing file keeps its permission bits. Anything else that
// exists under the name (a device such as /dev/full, a pipe) is written in place.
// Returns nothing on success, otherwise the system's reason (e.g. "No space left on device");
// on failure the temporary file is removed.
std::optional<std::string> WriteFileSafely(const std::filesystem::path& target, std::string_view content);

}  // namespace kvqor

// Writing a file whole or not at all: the bytes go to a new hidden file beside the target, are
// synced to the disk, and only then take the target's name.
#pragma once

#include <cstddef>
#include <string>

namespace measure {

enum class Existing { kReplace, kKeep };

/// Writes size bytes as path. Returns 0 once the file is in place, else the errno value of the
/// step that failed; no temporary file is left then. With Existing::kKeep a file already at path
/// is never replaced: the call fails with EEXIST. The file gets mode 0666 less the umask. (A
/// failure to sync the folder, the last step, comes after the file took its name: it is
/// reported, and the file stays.)
int WriteFileAtomically(const std::string& path, const void* data, size_t size,
                        Existing existing = Existing::kReplace);

}  // namespace measure

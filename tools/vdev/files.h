// Small file-system helpers for the device process.
#pragma once

#include <string>

namespace vdev {

// Writes `content` to `path` via a temporary file and rename, so readers see
// either nothing or the whole content.
bool write_file_atomic(const std::string& path, const std::string& content, std::string* err);

// Creates `dir` and missing parents.
bool make_dirs(const std::string& dir, std::string* err);

bool is_directory(const std::string& path);

}  // namespace vdev

#include "files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vdev {

bool write_file_atomic(const std::string& path, const std::string& content, std::string* err) {
    std::string tmp = path + ".tmp." + std::to_string(getpid());
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    if (fd >= 0 && close(fd) != 0) ok = false;
    if (ok && rename(tmp.c_str(), path.c_str()) == 0) return true;
    *err = "write " + path + ": " + std::strerror(errno);
    unlink(tmp.c_str());
    return false;
}

bool is_directory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool make_dirs(const std::string& dir, std::string* err) {
    if (dir.empty() || is_directory(dir)) return true;
    size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !make_dirs(dir.substr(0, slash), err)) return false;
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        *err = "mkdir " + dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace vdev

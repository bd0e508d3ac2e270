#include "measure/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace measure {
namespace {

// Creates a new file prefix + six random characters, exclusively, with mode 0666 so that the
// umask decides the permissions as for any other file the user saves.
int CreateTemporary(const std::string& prefix, std::string& path, int& fd) {
    static constexpr char kCharacters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<size_t> pick(0, sizeof(kCharacters) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = prefix;
        for (int i = 0; i < 6; ++i) path += kCharacters[pick(random)];
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return 0;
        if (errno != EEXIST && errno != EINTR) return errno;
    }
    return EEXIST;
}

int WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

int Sync(int fd) {
    while (fsync(fd) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

// Writes the bytes to the open temporary file and closes it: 0 once all of them are on the disk.
int WriteAndClose(int fd, const void* data, size_t size) {
    int error = WriteAll(fd, static_cast<const unsigned char*>(data), size);
    if (!error) error = Sync(fd);
    // Linux releases the descriptor even when close is interrupted, and the data was synced.
    if (close(fd) != 0 && errno != EINTR && !error) error = errno;
    return error;
}

// Gives the temporary file its name. Without replacing, a file system that cannot rename
// exclusively gets a hard link instead, which fails just the same when the name is taken.
int Place(const std::string& temporary, const std::string& path, Existing existing) {
    if (existing == Existing::kReplace)
        return std::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (link(temporary.c_str(), path.c_str()) != 0) return errno;
    unlink(temporary.c_str());
    return 0;
}

// Makes the new name survive a power cut. A folder the user may write to but not read cannot be
// opened for this, and some file systems cannot sync folders: neither is a failed write.
int SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES ? 0 : errno;
    int error = Sync(fd);
    close(fd);
    return error == EINVAL ? 0 : error;
}

}  // namespace

int WriteFileAtomically(const std::string& path, const void* data, size_t size, Existing existing) {
    const size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return EINVAL;
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);

    // A hidden name in the same folder, so that the rename stays on one file system.
    const std::string prefix = path.substr(0, path.size() - base.size()) + "." + base + ".";
    std::string temporary;
    int fd = -1;
    if (const int error = CreateTemporary(prefix, temporary, fd)) return error;
    int error = WriteAndClose(fd, data, size);
    if (!error) error = Place(temporary, path, existing);
    if (error) {
        unlink(temporary.c_str());
        return error;
    }
    return SyncFolder(folder);
}

}  // namespace measure

#include "imaging/snapshot.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <random>
#include <vector>

namespace {

// cv::imencode, taken from OpenCV's image codecs library when the first picture is saved. That
// library brings some hundred and forty others with it (GDAL, DICOM, HDF5 and more); loading
// them with the program would delay every start by a fifth of a second, for a button that is
// pressed now and then.
using ImageEncoder =
    decltype(static_cast<bool (*)(const cv::String&, cv::InputArray, std::vector<uchar>&,
                                  const std::vector<int>&)>(&cv::imencode));
constexpr const char* kImageEncoderSymbol =
    "_ZN2cv8imencodeERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEERKNS_11_"
    "InputArrayERSt6vectorIhSaIhEERKSB_IiSaIiEE";

ImageEncoder LoadImageEncoder() {
    // Kept loaded for the rest of the run, like a library linked to the program.
    void* codecs = dlopen(VANTREL_IMGCODECS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!codecs) return nullptr;
    return reinterpret_cast<ImageEncoder>(dlsym(codecs, kImageEncoderSymbol));
}

int Encode(const std::string& extension, const IplImage* image, std::vector<uchar>& bytes) {
    static const ImageEncoder encode = LoadImageEncoder();
    if (!encode) return ELIBACC;
    try {
        return encode(extension, cv::cvarrToMat(image), bytes, {}) && !bytes.empty() ? 0 : EINVAL;
    } catch (const cv::Exception&) {
        return EINVAL;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

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

int WriteAll(int fd, const uchar* data, size_t size) {
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

// Writes bytes to the open temporary file and closes it: 0 once all of them are on the disk.
int WriteAndClose(int fd, const std::vector<uchar>& bytes) {
    int error = WriteAll(fd, bytes.data(), bytes.size());
    if (!error) error = Sync(fd);
    // Linux releases the descriptor even when close is interrupted, and the data was synced.
    if (close(fd) != 0 && errno != EINTR && !error) error = errno;
    return error;
}

// Makes the rename survive a power cut. A folder the user may write to but not read cannot be
// opened for this, and some file systems cannot sync folders: neither is a failed save.
int SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES ? 0 : errno;
    int error = Sync(fd);
    close(fd);
    return error == EINVAL ? 0 : error;
}

}  // namespace

int SaveSnapshot(const char* fileName, const IplImage* image) {
    if (!fileName || !image) return EINVAL;
    const std::string name(fileName);
    const size_t slash = name.rfind('/');
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash ? slash : 1);
    const size_t dot = base.rfind('.');
    if (dot == std::string::npos) return EINVAL;

    std::vector<uchar> bytes;
    if (const int error = Encode(base.substr(dot), image, bytes)) return error;

    // A hidden name in the same folder, so that the rename stays on one file system.
    const std::string prefix = name.substr(0, name.size() - base.size()) + "." + base + ".";
    std::string temporary;
    int fd = -1;
    if (const int error = CreateTemporary(prefix, temporary, fd)) return error;
    int error = WriteAndClose(fd, bytes);
    if (!error && std::rename(temporary.c_str(), name.c_str()) != 0) error = errno;
    if (error) {
        unlink(temporary.c_str());
        return error;
    }
    return SyncFolder(folder);
}

const char* SnapshotFileName(CameraSlot slot) {
    static const char* const kFiles[4] = {"rr.png", "ll.png", "rt.png", "lt.png"};
    return slot >= 0 && slot < 4 ? kFiles[slot] : "";
}

std::string WorkingFolder() {
    // The kernel's name of the working folder, which says "(deleted)" when it has been removed.
    std::error_code ec;
    std::filesystem::path working = std::filesystem::read_symlink("/proc/self/cwd", ec);
    if (ec) working = std::filesystem::current_path(ec);
    return ec ? std::string(".") : working.string();
}

#include "imaging/snapshot.h"

#include <dlfcn.h>

#include <cerrno>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <vector>

#include "measure/atomic_file.h"

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

}  // namespace

int SaveSnapshot(const char* fileName, const IplImage* image) {
    if (!fileName || !image) return EINVAL;
    const std::string name(fileName);
    const size_t slash = name.rfind('/');
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot == std::string::npos) return EINVAL;

    std::vector<uchar> bytes;
    if (const int error = Encode(base.substr(dot), image, bytes)) return error;
    return measure::WriteFileAtomically(name, bytes.data(), bytes.size());
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

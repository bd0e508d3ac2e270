#include "imaging/snapshot.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>

namespace {

// cv::imwrite, taken from OpenCV's image codecs library when the first picture is saved. That
// library brings some hundred and forty others with it (GDAL, DICOM, HDF5 and more); loading
// them with the program would delay every start by a fifth of a second, for a button that is
// pressed now and then.
using ImageWriter = decltype(static_cast<bool (*)(const cv::String&, cv::InputArray,
                                                  const std::vector<int>&)>(&cv::imwrite));
constexpr const char* kImageWriterSymbol =
    "_ZN2cv7imwriteERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEERKNS_11_"
    "InputArrayERKSt6vectorIiSaIiEE";

ImageWriter LoadImageWriter() {
    // Kept loaded for the rest of the run, like a library linked to the program.
    void* codecs = dlopen(VANTREL_IMGCODECS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!codecs) return nullptr;
    return reinterpret_cast<ImageWriter>(dlsym(codecs, kImageWriterSymbol));
}

ImageWriter Writer() {
    static const ImageWriter writer = LoadImageWriter();
    return writer;
}

}  // namespace

int cvSaveImage(const char* filename, const CvArr* image, const int* params) {
    const ImageWriter write = Writer();
    if (!write) return 0;
    std::vector<int> options;
    for (const int* p = params; p && *p; p += 2) options.insert(options.end(), {p[0], p[1]});
    try {
        return write(filename, cv::cvarrToMat(image), options) ? 1 : 0;
    } catch (const cv::Exception&) {
        return 0;
    }
}

bool SaveSnapshot(const char* fileName, const IplImage* image) {
    if (!fileName || !image) return false;
    const std::string name(fileName);
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    const size_t dot = base.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : base.substr(dot);

    // A hidden name in the same folder, so the rename stays on one file system; it keeps the
    // extension, which tells the encoder the format.
    std::string temporary = folder + "." + base + ".XXXXXX" + extension;
    const int fd = mkstemps(temporary.data(), static_cast<int>(extension.size()));
    if (fd < 0) return false;
    close(fd);
    if (!cvSaveImage(temporary.c_str(), image) || std::rename(temporary.c_str(), name.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

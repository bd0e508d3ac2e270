// Reading a picture that is to serve as a reference, from a file the user may have picked: the
// file's header is checked before anything is decoded, so that a huge or broken file costs
// nothing. PNG headers are read here; PGM (binary, 8 bit) is read here whole, as the reference
// store writes it.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <string>

namespace measure {

constexpr int kReferenceWidth = 640;
constexpr int kReferenceHeight = 480;
/// A larger file is refused unread: a 640 x 480 picture never needs that much.
constexpr std::int64_t kMaxPictureFileBytes = 16 << 20;

enum class PictureProblem {
    kNone,
    kMissing,      // no such file
    kUnreadable,   // it could not be opened or read
    kNotAPicture,  // neither PNG nor PGM
    kMalformed,    // the header is broken or the file ends early
    kWrongSize,    // not 640 x 480 (the header's figures are in PictureHeader)
    kTooLarge,     // the file itself is larger than kMaxPictureFileBytes
    kUnsupported,  // a PNG or PGM kind that is not read (e.g. 16-bit PGM)
};

enum class PictureFormat { kUnknown, kPng, kPgm };

struct PictureHeader {
    PictureProblem problem = PictureProblem::kNone;
    PictureFormat format = PictureFormat::kUnknown;
    int width = 0;
    int height = 0;
    bool colour = false;  // a PNG with colour, turned grey when it is read
};

/// Reads no more than the header of the file at path and says whether it may serve as a
/// reference: a PNG or PGM of 640 x 480.
PictureHeader CheckPictureFile(const std::string& path);
/// The same for the first bytes of a file; fileBytes is the file's whole length.
PictureHeader CheckPictureHeader(const unsigned char* bytes, size_t size, std::int64_t fileBytes);

/// Reads a binary 8-bit PGM of 640 x 480 (as the reference store writes it) into grey, after
/// the header check. On a problem the picture is empty.
PictureProblem ReadPgm(const std::string& path, cv::Mat& picture);
/// The PGM file of a 640 x 480 grey picture.
std::string EncodePgm(const cv::Mat& grey);

}  // namespace measure

#include "measure/picture_file.h"

#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <fstream>

namespace measure {
namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr size_t kHeaderBytes = 64;

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

PictureHeader WithSize(PictureHeader header, std::uint32_t width, std::uint32_t height) {
    header.width = width > 1u << 30 ? 1 << 30 : static_cast<int>(width);
    header.height = height > 1u << 30 ? 1 << 30 : static_cast<int>(height);
    if (header.width != kReferenceWidth || header.height != kReferenceHeight)
        header.problem = PictureProblem::kWrongSize;
    return header;
}

// The signature, then the IHDR chunk: length 13, "IHDR", width, height, bit depth, colour type,
// compression, filter, interlace.
PictureHeader CheckPng(const unsigned char* bytes, size_t size) {
    PictureHeader header;
    header.format = PictureFormat::kPng;
    if (size < 33 || BigEndian32(bytes + 8) != 13 || std::memcmp(bytes + 12, "IHDR", 4) != 0) {
        header.problem = PictureProblem::kMalformed;
        return header;
    }
    const std::uint32_t width = BigEndian32(bytes + 16), height = BigEndian32(bytes + 20);
    const int depth = bytes[24], type = bytes[25];
    const bool validDepth = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    const bool validType = type == 0 || type == 2 || type == 3 || type == 4 || type == 6;
    if (width == 0 || height == 0 || !validDepth || !validType || bytes[26] != 0 ||
        bytes[27] != 0 || bytes[28] > 1) {
        header.problem = PictureProblem::kMalformed;
        return header;
    }
    header.colour = type == 2 || type == 3 || type == 6;
    return WithSize(header, width, height);
}

// "P5", whitespace and comments, width, height, maximum value, one whitespace byte, the pixels.
struct PgmFields {
    bool ok = false;
    std::uint32_t width = 0, height = 0, maxValue = 0;
    size_t dataOffset = 0;
};

PgmFields ParsePgm(const unsigned char* bytes, size_t size) {
    PgmFields fields;
    size_t at = 2;
    std::uint32_t* values[3] = {&fields.width, &fields.height, &fields.maxValue};
    for (std::uint32_t* value : values) {
        while (at < size && (std::isspace(bytes[at]) || bytes[at] == '#')) {
            if (bytes[at] == '#')
                while (at < size && bytes[at] != '\n') ++at;
            else
                ++at;
        }
        int digits = 0;
        while (at < size && std::isdigit(bytes[at]) && digits < 9) {
            *value = *value * 10 + (bytes[at++] - '0');
            ++digits;
        }
        if (digits == 0 || (at < size && std::isdigit(bytes[at]))) return fields;
    }
    if (at >= size || !std::isspace(bytes[at])) return fields;
    fields.dataOffset = at + 1;
    fields.ok = true;
    return fields;
}

PictureHeader CheckPgm(const unsigned char* bytes, size_t size, std::int64_t fileBytes) {
    PictureHeader header;
    header.format = PictureFormat::kPgm;
    const PgmFields fields = ParsePgm(bytes, size);
    if (!fields.ok || fields.width == 0 || fields.height == 0 || fields.maxValue == 0 ||
        fields.maxValue > 65535) {
        header.problem = PictureProblem::kMalformed;
        return header;
    }
    header = WithSize(header, fields.width, fields.height);
    if (header.problem != PictureProblem::kNone) return header;
    if (fields.maxValue > 255)
        header.problem = PictureProblem::kUnsupported;
    else if (fileBytes < static_cast<std::int64_t>(fields.dataOffset) +
                             std::int64_t{kReferenceWidth} * kReferenceHeight)
        header.problem = PictureProblem::kMalformed;
    return header;
}

// The first bytes of the file and its length; a problem when it cannot be read.
PictureProblem ReadStart(const std::string& path, std::string& start, std::int64_t& fileBytes) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PictureProblem::kMissing
                                                   : PictureProblem::kUnreadable;
    if (!S_ISREG(info.st_mode)) return PictureProblem::kUnreadable;
    fileBytes = info.st_size;
    std::ifstream file(path, std::ios::binary);
    if (!file) return PictureProblem::kUnreadable;
    start.resize(kHeaderBytes);
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(file.gcount()));
    return PictureProblem::kNone;
}

}  // namespace

PictureHeader CheckPictureHeader(const unsigned char* bytes, size_t size, std::int64_t fileBytes) {
    PictureHeader header;
    if (size >= 8 && std::memcmp(bytes, kPngSignature, 8) == 0)
        header = CheckPng(bytes, size);
    else if (size >= 2 && bytes[0] == 'P' && bytes[1] == '5')
        header = CheckPgm(bytes, size, fileBytes);
    else
        header.problem = PictureProblem::kNotAPicture;
    if (header.problem == PictureProblem::kNone && fileBytes > kMaxPictureFileBytes)
        header.problem = PictureProblem::kTooLarge;
    return header;
}

PictureHeader CheckPictureFile(const std::string& path) {
    std::string start;
    std::int64_t fileBytes = 0;
    PictureHeader header;
    header.problem = ReadStart(path, start, fileBytes);
    if (header.problem != PictureProblem::kNone) return header;
    return CheckPictureHeader(reinterpret_cast<const unsigned char*>(start.data()), start.size(),
                              fileBytes);
}

PictureProblem ReadPgm(const std::string& path, cv::Mat& picture) {
    picture.release();
    std::string start;
    std::int64_t fileBytes = 0;
    if (const PictureProblem problem = ReadStart(path, start, fileBytes);
        problem != PictureProblem::kNone)
        return problem;
    const auto* bytes = reinterpret_cast<const unsigned char*>(start.data());
    const PictureHeader header = CheckPictureHeader(bytes, start.size(), fileBytes);
    if (header.problem != PictureProblem::kNone) return header.problem;
    if (header.format != PictureFormat::kPgm) return PictureProblem::kUnsupported;
    std::ifstream file(path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(ParsePgm(bytes, start.size()).dataOffset));
    cv::Mat grey(kReferenceHeight, kReferenceWidth, CV_8UC1);
    file.read(reinterpret_cast<char*>(grey.data), static_cast<std::streamsize>(grey.total()));
    if (file.gcount() != static_cast<std::streamsize>(grey.total()))
        return PictureProblem::kMalformed;
    picture = grey;
    return PictureProblem::kNone;
}

std::string EncodePgm(const cv::Mat& grey) {
    CV_Assert(grey.type() == CV_8UC1 && grey.cols == kReferenceWidth &&
              grey.rows == kReferenceHeight);
    std::string bytes = "P5\n640 480\n255\n";
    const size_t header = bytes.size();
    bytes.resize(header + grey.total());
    for (int y = 0; y < grey.rows; ++y)
        std::memcpy(bytes.data() + header + static_cast<size_t>(y) * grey.cols, grey.ptr(y),
                    static_cast<size_t>(grey.cols));
    return bytes;
}

}  // namespace measure

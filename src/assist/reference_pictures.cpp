#include "assist/reference_pictures.h"

#include <sys/stat.h>

#include <QImage>
#include <QImageReader>
#include <algorithm>

#include "assist/texts.h"
#include "imaging/snapshot.h"
#include "res/samples.h"

namespace assist {
namespace {

using measure::PictureProblem;

// The block holds RR, RT, LL, LT; slots number the positions RR, LL, RT, LT.
int SampleIndex(CameraSlot slot) {
    static const int kIndex[4] = {0, 2, 1, 3};
    return kIndex[slot];
}

QString ProblemText(PictureProblem problem, const measure::PictureHeader& header,
                    const QString& name, const Texts& texts) {
    switch (problem) {
        case PictureProblem::kNone:
            return {};
        case PictureProblem::kMissing:
            return Tr(texts.fileMissing).arg(name);
        case PictureProblem::kUnreadable:
            return Tr(texts.fileUnreadable).arg(name);
        case PictureProblem::kNotAPicture:
            return Tr(texts.fileNotPicture).arg(name);
        case PictureProblem::kMalformed:
            return Tr(texts.fileMalformed).arg(name);
        case PictureProblem::kWrongSize:
            return Tr(texts.fileWrongSize).arg(name).arg(header.width).arg(header.height);
        case PictureProblem::kTooLarge:
            return Tr(texts.fileTooLarge).arg(name);
        case PictureProblem::kUnsupported:
            return Tr(texts.fileUnsupported).arg(name);
    }
    return {};
}

// A PNG whose header passed the check, decoded and turned grey; empty when decoding fails.
cv::Mat DecodePng(const std::string& path) {
    QImageReader reader(QString::fromStdString(path), "png");
    QImage image = reader.read();
    if (image.isNull() || image.width() != measure::kReferenceWidth ||
        image.height() != measure::kReferenceHeight)
        return {};
    image = image.convertToFormat(QImage::Format_Grayscale8);
    cv::Mat picture(measure::kReferenceHeight, measure::kReferenceWidth, CV_8UC1);
    for (int y = 0; y < picture.rows; ++y)
        std::copy_n(image.constScanLine(y), picture.cols, picture.ptr<unsigned char>(y));
    return picture;
}

// Reads a picture file: the header is checked first, and only a 640 x 480 picture decoded.
LoadedReference LoadFile(const std::string& path, const QString& name, const Texts& texts) {
    LoadedReference loaded;
    loaded.watched = path;
    loaded.stamp = StampOf(path);
    const measure::PictureHeader header = measure::CheckPictureFile(path);
    if (header.problem != PictureProblem::kNone) {
        loaded.error = ProblemText(header.problem, header, name, texts);
        return loaded;
    }
    if (header.format == measure::PictureFormat::kPgm) {
        const PictureProblem problem = measure::ReadPgm(path, loaded.picture);
        loaded.error = ProblemText(problem, header, name, texts);
    } else {
        loaded.picture = DecodePng(path);
        if (loaded.picture.empty()) loaded.error = Tr(texts.fileMalformed).arg(name);
        if (header.colour && !loaded.picture.empty()) loaded.note = Tr(texts.turnedGrey).arg(name);
    }
    return loaded;
}

LoadedReference LoadInstallation(const ReferenceChoice& choice,
                                 const measure::ReferenceStore& store, CameraSlot slot,
                                 const Texts& texts) {
    for (const measure::StoredReference& stored : store.List(PositionName(slot))) {
        if (stored.picturePath != choice.path) continue;
        LoadedReference loaded = LoadFile(stored.picturePath, PathText(stored.picturePath), texts);
        loaded.serial = stored.info.serial;
        loaded.watched.clear();  // references are never replaced
        return loaded;
    }
    LoadedReference gone;
    gone.error = Tr(texts.fileMissing).arg(PathText(choice.path));
    return gone;
}

}  // namespace

FileStamp StampOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return {};
    return {static_cast<long long>(info.st_dev), static_cast<long long>(info.st_ino),
            static_cast<long long>(info.st_size),
            static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000LL + info.st_mtim.tv_nsec};
}

cv::Mat SampleReference(CameraSlot slot) {
    if (slot < 0 || slot > 3) return {};
    const unsigned char* picture = SampleImageSet + SampleIndex(slot) * kFrameBytes;
    return cv::Mat(kFrameHeight, kFrameWidth, CV_8UC1, const_cast<unsigned char*>(picture)).clone();
}

LoadedReference LoadReference(CameraSlot slot, const ReferenceChoice& choice,
                              const measure::ReferenceStore& store, bool korean) {
    const Texts& texts = TextsFor(korean);
    switch (choice.kind) {
        case ReferenceKind::Sample:
            return {SampleReference(slot), {}, {}, {}, {}, {}};
        case ReferenceKind::Installation:
            return LoadInstallation(choice, store, slot, texts);
        case ReferenceKind::Snapshot: {
            const std::string path = WorkingFolder() + "/" + SnapshotFileName(slot);
            return LoadFile(path, PathText(path), texts);
        }
        case ReferenceKind::File:
            return LoadFile(choice.path, PathText(choice.path), texts);
    }
    return {};
}

QString PathText(const std::string& path) {
    // A zero-width space after each slash lets the line break there and nowhere else.
    QString text = QString::fromStdString(path);
    text.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
    text.replace(QLatin1Char(' '), QChar(0x00A0));
    return text;
}

}  // namespace assist

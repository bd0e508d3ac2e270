#include "assist/reference_pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <algorithm>

#include "assist/texts.h"
#include "imaging/snapshot.h"
#include "res/samples.h"

namespace assist {
namespace {

// The block holds RR, RT, LL, LT; slots number the positions RR, LL, RT, LT.
int SampleIndex(CameraSlot slot) {
    static const int kIndex[4] = {0, 2, 1, 3};
    return kIndex[slot];
}

}  // namespace

cv::Mat SampleReference(CameraSlot slot) {
    if (slot < 0 || slot > 3) return {};
    const unsigned char* picture = SampleImageSet + SampleIndex(slot) * kFrameBytes;
    return cv::Mat(kFrameHeight, kFrameWidth, CV_8UC1, const_cast<unsigned char*>(picture)).clone();
}

LoadedReference LoadSnapshotReference(CameraSlot slot, bool korean) {
    const Texts& texts = TextsFor(korean);
    const QString name = QString::fromLatin1(SnapshotFileName(slot));
    const QString path = QDir::current().filePath(name);
    if (!QFileInfo(path).isFile())
        return {{},
                Tr(texts.snapshotMissing).arg(name, QDir::toNativeSeparators(QDir::currentPath()))};

    QImage image(path);
    if (image.isNull() || image.width() != kFrameWidth || image.height() != kFrameHeight ||
        !image.isGrayscale())
        return {{}, Tr(texts.snapshotWrong).arg(name)};

    image = image.convertToFormat(QImage::Format_Grayscale8);
    cv::Mat picture(kFrameHeight, kFrameWidth, CV_8UC1);
    for (int y = 0; y < kFrameHeight; ++y)
        std::copy_n(image.constScanLine(y), kFrameWidth, picture.ptr<unsigned char>(y));
    return {picture, {}};
}

}  // namespace assist

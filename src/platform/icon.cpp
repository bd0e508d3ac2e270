#include "platform/icon.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <map>
#include <memory>

#include "platform/icon_record.h"
#include "platform/resources.h"

namespace platform {

HICON LoadIconResource(UINT id) {
    const IconResource* resource = FindIconResource(id);
    if (!resource || !resource->data || resource->size == 0) return nullptr;
    static std::map<const unsigned char*, std::unique_ptr<IconRecord>> cache;
    auto& record = cache[resource->data];
    if (!record) {
        record = std::make_unique<IconRecord>();
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(resource->data),
                                                   static_cast<int>(resource->size));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "ico");
        do {
            QImage image = reader.read();
            if (image.isNull()) break;
            record->icon.addPixmap(QPixmap::fromImage(image));
            ++record->imageCount;
        } while (reader.jumpToNextImage());
    }
    return record->imageCount > 0 ? record.get() : nullptr;
}

int IconImageCount(HICON icon) { return icon ? icon->imageCount : 0; }

}  // namespace platform

// What an icon handle holds. Private to the platform layer.
#pragma once

#include <QIcon>

struct IconRecord {
    QIcon icon;
    int imageCount = 0;
};

// The assistant's texts in both languages of the program.
#pragma once

#include <QString>

#include "camlink/camlink_exports.h"

namespace assist {

struct Texts {
    const char* title;
    const char* notRunning;
    const char* running;
    const char* sideCamera;
    const char* topCamera;
    const char* reference;
    const char* builtInSample;
    const char* lastSnapshot;     // %1: the file name
    const char* snapshotMissing;  // %1: the file name, %2: the folder
    const char* snapshotWrong;    // %1: the file name
    const char* horizontal;
    const char* vertical;
    const char* rotation;
    const char* confidence;
    const char* aligned;
    const char* notAligned;
    const char* noMatch;
    const char* noPicture;
    const char* noReference;
    const char* sharpness;
    const char* best;
    const char* focusValue;
    const char* plotSpan;
    const char* howTo;
    const char* resetBest;
    const char* close;
};

const Texts& TextsFor(bool korean);
/// Turns a text of the table into a QString (the table is UTF-8).
inline QString Tr(const char* text) {
    return QString::fromUtf8(text);
}

/// "RR", "LL", "RT" or "LT".
const char* PositionName(CameraSlot slot);
bool IsTopCamera(CameraSlot slot);

}  // namespace assist

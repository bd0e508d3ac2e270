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
    const char* lastSnapshot;  // %1: the file name
    const char* horizontal;
    const char* vertical;
    const char* rotation;
    const char* confidence;
    const char* aligned;
    const char* notAligned;
    const char* noMatch;
    const char* distance;
    const char* overExposed;
    const char* tooDark;
    const char* outOfRange;
    const char* sharpnessClipped;
    const char* noPicture;
    const char* noReference;
    const char* sharpness;
    const char* best;
    const char* focusValue;
    const char* plotSpan;
    const char* howTo;
    const char* resetBest;
    const char* close;
    // Installation references and picture files; %1 is a date or a path.
    const char* keepReference;
    const char* installationReference;
    const char* earlierReference;
    const char* pictureFile;
    const char* chosenFile;
    const char* chooseFileTitle;  // %1: the position
    const char* fileFilter;
    const char* kept;
    const char* keepFailed;   // %1: the folder, %2: the reason
    const char* otherCamera;  // %1: the reference's serial, %2: the camera's
    const char* fileMissing;
    const char* fileUnreadable;
    const char* fileNotPicture;
    const char* fileMalformed;
    const char* fileWrongSize;  // %2 x %3: the picture's size
    const char* fileTooLarge;
    const char* fileUnsupported;
    const char* turnedGrey;
    const char* followThis;
    const char* enlarge;
    const char* largeTitle;  // %1: the camera's title
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

// Why a camera gives no picture, or not the whole one, in words for the technician. The GenICam
// modules answer the text feature "VantrelStatus" of a position with a short code ("busy",
// "format", "size W H", "stream none", "stream incomplete", "cropped W H PERCENT"); other modules
// do not answer it, and then nothing is said.
#pragma once

#include <set>
#include <string>

#include "camlink/camlink_exports.h"

struct CameraStatusPair {
    CameraSlot side;
    CameraSlot top;
    bool leftHanded;
};

/// The sentence for a status code of the camera at a position, or empty for an unknown code.
std::wstring CameraStatusSentence(const std::string& status, bool side, bool leftHanded,
                                  bool korean);

class CameraStatus {
public:
    /// After Start failed: a line for each camera of the pair that says why, each starting with
    /// a line break, to follow the message that Start failed.
    std::wstring StartFailure(const CamLinkApi& camLink, CameraStatusPair pair, bool korean);
    /// After Start: what limits a camera's picture, the first time in this run it is seen.
    std::wstring AfterStart(const CamLinkApi& camLink, CameraStatusPair pair, bool korean);
    /// While live, for a camera that gave no picture this tick: why, once per start.
    std::wstring WithoutPicture(const CamLinkApi& camLink, CameraStatusPair pair, bool side,
                                bool korean);

private:
    static std::string Read(const CamLinkApi& camLink, CameraSlot slot);

    std::set<std::string> shownThisRun_;
    std::set<std::string> shownThisStart_;
};

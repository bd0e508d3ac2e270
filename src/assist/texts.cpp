#include "assist/texts.h"

namespace assist {
namespace {

const Texts kKorean = {
    .title = "정렬 도우미",
    .notRunning = "정지됨: 카메라 시작을 누르면 측정합니다.",
    .running = "측정 중",
    .sideCamera = "Side 카메라",
    .topCamera = "Top 카메라",
    .reference = "기준 이미지:",
    .builtInSample = "기본 예시 이미지",
    .lastSnapshot = "마지막 저장 이미지 (%1)",
    .horizontal = "가로",
    .vertical = "세로",
    .rotation = "회전",
    .confidence = "신뢰도",
    .aligned = "정렬됨",
    .notAligned = "정렬 필요",
    .noMatch = "측정 불가: 렌즈 캡, 장면, 기준 이미지를 확인하세요.",
    .distance = "거리",
    .overExposed = "측정 불가: 영상이 너무 밝습니다(과노출). 노출이나 게인을 낮추세요.",
    .tooDark = "측정 불가: 영상이 너무 어둡습니다. 노출이나 게인을 높이거나 렌즈 캡을 확인하세요.",
    .outOfRange =
        "측정 범위 밖: 라이브 영상이 기준 이미지와 대략 겹치도록 카메라를 먼저 "
        "돌리세요.",
    .sharpnessClipped = "과노출",
    .noPicture = "이 카메라의 영상이 없습니다.",
    .noReference = "기준 이미지가 없습니다.",
    .sharpness = "선명도",
    .best = "최고",
    .focusValue = "라이브 창의 초점값",
    .plotSpan = "최근 60초",
    .howTo =
        "허용 오차 2 px, 0.3°. 초록색 라이브 영상이 자홍색 기준 이미지와 겹칠 때까지 카메라를 "
        "표시된 방향으로 움직이세요(회전은 카메라 뒤에서 본 방향). 초점은 선명도가 가장 클 때 "
        "맞습니다. 라이브 창을 클릭하면 노란 사각형이 옮겨지고, 그림을 두 번 클릭하면 크게 "
        "보입니다.",
    .resetBest = "최고값 초기화",
    .close = "닫기",
    .keepReference = "기준으로 보관",
    .installationReference = "설치 기준 이미지, %1",
    .earlierReference = "이전 기준 이미지, %1",
    .pictureFile = "이미지 파일…",
    .chosenFile = "파일: %1",
    .chooseFileTitle = "%1 기준 이미지",
    .fileFilter = "이미지 (*.png *.pgm)",
    .kept = "이 설비의 기준 이미지로 보관했습니다: %1",
    .keepFailed = "%1 폴더에 기준 이미지를 보관하지 못했습니다: %2",
    .otherCamera =
        "이 기준 이미지는 카메라 %1(으)로 찍었지만 지금 카메라는 %2입니다. 카메라를 "
        "교체했다면 새 기준 이미지를 보관하세요.",
    .fileMissing = "%1 파일이 없습니다.",
    .fileUnreadable = "%1 파일을 읽을 수 없습니다.",
    .fileNotPicture = "%1 파일은 PNG나 PGM 이미지가 아닙니다.",
    .fileMalformed = "%1 파일이 손상되어 이미지로 읽을 수 없습니다.",
    .fileWrongSize = "%1 이미지는 %2 x %3입니다. 640 x 480이어야 합니다.",
    .fileTooLarge = "%1 파일이 16 MB보다 큽니다.",
    .fileUnsupported = "%1 파일은 16비트 PGM입니다. 8비트만 읽습니다.",
    .turnedGrey = "%1 은(는) 컬러 이미지라 흑백으로 바꿔 비교합니다.",
    .followThis = "이 값을 보며 맞추세요",
    .enlarge = "두 번 클릭하면 크게 봅니다.",
    .largeTitle = "%1: 실제 크기",
};

const Texts kEnglish = {
    .title = "Alignment Assistant",
    .notRunning = "Not running: press Start Camera to measure.",
    .running = "Measuring",
    .sideCamera = "Side camera",
    .topCamera = "Top camera",
    .reference = "Reference:",
    .builtInSample = "Built-in sample",
    .lastSnapshot = "Last snapshot (%1)",
    .horizontal = "Horizontal",
    .vertical = "Vertical",
    .rotation = "Rotation",
    .confidence = "Confidence",
    .aligned = "ALIGNED",
    .notAligned = "NOT ALIGNED",
    .noMatch = "No match: check the lens cap, the scene and the reference.",
    .distance = "Distance",
    .overExposed = "Over-exposed: too much of the picture is white. Lower the exposure or gain.",
    .tooDark = "Too dark: raise the exposure or gain, or check the lens cap.",
    .outOfRange =
        "Beyond the measuring range: first turn the camera until the live picture "
        "roughly covers the reference.",
    .sharpnessClipped = "over-exposed",
    .noPicture = "No picture from this camera.",
    .noReference = "No reference picture.",
    .sharpness = "Sharpness",
    .best = "best",
    .focusValue = "Live window's focus value",
    .plotSpan = "last 60 s",
    .howTo =
        "Aligned within 2 px and 0.3°: move the camera as shown until the green live picture "
        "covers the magenta reference (roll as seen from behind). Focus for the highest "
        "Sharpness. Click in a live window to move the yellow square; double-click a picture "
        "to enlarge it.",
    .resetBest = "Reset best",
    .close = "Close",
    .keepReference = "Keep as reference",
    .installationReference = "Installation reference, %1",
    .earlierReference = "Earlier reference, %1",
    .pictureFile = "Picture file…",
    .chosenFile = "File: %1",
    .chooseFileTitle = "Reference picture for %1",
    .fileFilter = "Pictures (*.png *.pgm)",
    .kept = "Kept as this installation's reference: %1",
    .keepFailed = "Could not keep the reference in %1: %2",
    .otherCamera =
        "This reference was taken with camera %1, but this is camera %2. If the "
        "camera was replaced, keep a new reference.",
    .fileMissing = "No file %1.",
    .fileUnreadable = "%1 cannot be read.",
    .fileNotPicture = "%1 is not a PNG or PGM picture.",
    .fileMalformed = "%1 is damaged: it cannot be read as a picture.",
    .fileWrongSize = "%1 is %2 x %3, not 640 x 480.",
    .fileTooLarge = "%1 is larger than 16 MB.",
    .fileUnsupported = "%1 is a 16-bit PGM; only 8-bit ones are read.",
    .turnedGrey = "%1 is in colour: it is compared in grey.",
    .followThis = "follow this one",
    .enlarge = "Double-click to see it larger.",
    .largeTitle = "%1: full size",
};

}  // namespace

const Texts& TextsFor(bool korean) {
    return korean ? kKorean : kEnglish;
}

const char* PositionName(CameraSlot slot) {
    static const char* const kNames[4] = {"RR", "LL", "RT", "LT"};
    return slot >= 0 && slot < 4 ? kNames[slot] : "";
}

bool IsTopCamera(CameraSlot slot) {
    return slot == kSlotRightTop || slot == kSlotLeftTop;
}

}  // namespace assist

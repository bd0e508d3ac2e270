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
    .snapshotMissing = "%2 폴더에 %1 파일이 없습니다.",
    .snapshotWrong = "%1 파일이 640 x 480 흑백 이미지가 아닙니다.",
    .horizontal = "가로",
    .vertical = "세로",
    .rotation = "회전",
    .confidence = "신뢰도",
    .aligned = "정렬됨",
    .notAligned = "정렬 필요",
    .noMatch = "측정 불가: 렌즈 캡, 장면, 기준 이미지를 확인하세요.",
    .noPicture = "이 카메라의 영상이 없습니다.",
    .noReference = "기준 이미지가 없습니다.",
    .sharpness = "선명도",
    .best = "최고",
    .focusValue = "초점값",
    .plotSpan = "최근 60초",
    .howTo =
        "허용 오차 2 px, 0.3°. 초록색 라이브 영상이 자홍색 기준 이미지와 겹칠 때까지 카메라를 "
        "표시된 방향으로 돌리거나 옮기세요. 방향은 화면 기준이며, 회전은 카메라 뒤에서 본 "
        "방향입니다. 선명도는 노란 사각형 안에서 재며 초점이 맞을수록 커집니다. 최고값을 "
        "지나면 초점링을 되돌리세요.",
    .resetBest = "최고값 초기화",
    .close = "닫기",
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
    .snapshotMissing = "No %1 in %2.",
    .snapshotWrong = "%1 is not a 640 x 480 grey picture.",
    .horizontal = "Horizontal",
    .vertical = "Vertical",
    .rotation = "Rotation",
    .confidence = "Confidence",
    .aligned = "ALIGNED",
    .notAligned = "NOT ALIGNED",
    .noMatch = "No match: check the lens cap, the scene and the reference.",
    .noPicture = "No picture from this camera.",
    .noReference = "No reference picture.",
    .sharpness = "Sharpness",
    .best = "best",
    .focusValue = "Focus value",
    .plotSpan = "last 60 s",
    .howTo =
        "Aligned within 2 px and 0.3°. Turn or move the camera as shown until the green live "
        "picture covers the magenta reference. Directions are as on the picture; rotation as "
        "seen from behind the camera. Sharpness is measured in the yellow square and rises as "
        "the picture sharpens: once it has passed its best, turn the focus ring back.",
    .resetBest = "Reset best",
    .close = "Close",
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

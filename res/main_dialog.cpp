// The main dialog's template in both languages. Coordinates are dialog units.
#include <array>

#include "res/resource.h"
#include "res/templates.h"

namespace res {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SHELLFONT;
constexpr DWORD kPush = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kHiddenCheck = WS_DISABLED | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kTrackBar = WS_VISIBLE | WS_DISABLED | WS_TABSTOP | TBS_NOTICKS | TBS_BOTH | TBS_TOOLTIPS;
constexpr DWORD kGroup = WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kHiddenPush = WS_TABSTOP | BS_PUSHBUTTON;

struct Texts {
    const wchar_t* start;
    const wchar_t* gainGroup;
    const wchar_t* exposureGroup;
    const wchar_t* cameraGroup;
    const wchar_t* stop;
    const wchar_t* saveImage;
    const wchar_t* centerGuide;
    const wchar_t* gridGuide;
    const wchar_t* focus;
    const wchar_t* rightHanded;
    const wchar_t* leftHanded;
    const wchar_t* temperatureGroup;
    const wchar_t* sideTemperature;
    const wchar_t* topTemperature;
    const wchar_t* showSample;
    short rightHandedWidth;
    short leftHandedWidth;
    short sideTemperatureWidth;
    short topTemperatureWidth;
};

constexpr Texts kKorean{
    L"카메라 시작",    L"민감도조정",     L"노출시간조정",   L"카메라",
    L"카메라 정지",    L"이미지저장",     L"표시선 보이기",  L"눈금선 보이기",
    L"촛점도구",       L"오른손 시스템",  L"왼손 시스템",    L"카메라 온도",
    L"Side 온도 : -",  L"Top 온도 : -",   L"예시이미지 보기", 53, 50, 75, 59,
};

constexpr Texts kEnglish{
    L"Start Camera",    L"Gain",           L"Exposure",            L"Camera",
    L"Stop Camera",     L"Save Image",     L"Center Guidline",     L"Grid Guidline",
    L"Focus",           L"Right-handed System", L"Left-handed System", L"Camera temperature",
    L"Side Camera : -", L"Top Camera : -", L"Show Sample",         80, 80,
    // "Side Temperature : 35.123" needs more room than the Korean read-out; the two labels
    // share the group's width.
    100, 90,
};

constexpr size_t kControlCount = 28;

// The controls in template order, which is also the tab order.
constexpr std::array<ControlTemplate, kControlCount> MakeControls(const Texts& t) {
    return {{
        {ControlKind::PushButton, IDC_BTN_START, t.start, 234, 63, 71, 19, kPush},
        {ControlKind::TrackBar, IDC_SLIDER_GAIN, L"", 7, 51, 160, 15, kTrackBar},
        {ControlKind::GroupBox, IDC_STATIC, t.gainGroup, 4, 41, 205, 42, kGroup},
        {ControlKind::GroupBox, IDC_STATIC, t.exposureGroup, 4, 84, 205, 41, kGroup},
        {ControlKind::TrackBar, IDC_SLIDER_EXPOSURE, L"", 8, 93, 158, 15, kTrackBar},
        {ControlKind::CheckBox, IDC_CHECK_GAIN_AUTO, L"Auto", 172, 51, 31, 10, kHiddenCheck},
        {ControlKind::CheckBox, IDC_CHECK_EXPOSURE_AUTO, L"Auto", 173, 93, 31, 10, kHiddenCheck},
        {ControlKind::GroupBox, IDC_STATIC, t.cameraGroup, 4, 9, 205, 30, kGroup},
        {ControlKind::PushButton, IDC_BTN_STOP, t.stop, 234, 86, 71, 19, kPush},
        {ControlKind::PushButton, IDC_BTN_SAVE_IMAGE, t.saveImage, 234, 110, 71, 19, kPush},
        {ControlKind::CheckBox, IDC_CHECK_CENTER_GUIDE, t.centerGuide, 235, 6, 71, 10, kCheck},
        {ControlKind::CheckBox, IDC_CHECK_GRID_GUIDE, t.gridGuide, 235, 19, 70, 10, kCheck},
        {ControlKind::CheckBox, IDC_CHECK_FOCUS_TOOL, t.focus, 235, 32, 72, 10, kCheck},
        {ControlKind::PushButton, IDC_BTN_RIGHT_HANDED, t.rightHanded, 12, 18, t.rightHandedWidth, 14, kPush},
        {ControlKind::PushButton, IDC_BTN_LEFT_HANDED, t.leftHanded, 95, 19, t.leftHandedWidth, 14, kPush},
        {ControlKind::GroupBox, IDC_STATIC, t.temperatureGroup, 4, 127, 205, 36, kGroup},
        {ControlKind::Label, IDC_STATIC_SIDE_TEMP, t.sideTemperature, 11, 145, t.sideTemperatureWidth, 8, kLabel},
        {ControlKind::Label, IDC_STATIC_TOP_TEMP, t.topTemperature, 115, 145, t.topTemperatureWidth, 8, kLabel},
        {ControlKind::PushButton, IDC_BTN_SHOW_SAMPLE, t.showSample, 235, 134, 70, 22, kPush},
        {ControlKind::PushButton, IDC_BTN_SILENT_GRAP, L"Silent Grap", 255, 46, 50, 14, kHiddenPush},
        {ControlKind::Label, IDC_STATIC_SIDE_GAIN, L" -", 52, 67, 36, 8, kLabel},
        {ControlKind::Label, IDC_STATIC_SIDE_EXPOSURE, L"-", 54, 111, 39, 8, kLabel},
        {ControlKind::Label, IDC_STATIC, L"Side =", 12, 67, 22, 8, kLabel},
        {ControlKind::Label, IDC_STATIC, L"Side =", 13, 111, 22, 8, kLabel},
        {ControlKind::Label, IDC_STATIC, L"Top =", 114, 66, 21, 8, kLabel},
        {ControlKind::Label, IDC_STATIC, L"Top =", 114, 110, 21, 8, kLabel},
        {ControlKind::Label, IDC_STATIC_TOP_GAIN, L"-", 148, 67, 41, 8, kLabel},
        {ControlKind::Label, IDC_STATIC_TOP_EXPOSURE, L"-", 149, 111, 40, 8, kLabel},
    }};
}

constexpr auto kKoreanControls = MakeControls(kKorean);
constexpr auto kEnglishControls = MakeControls(kEnglish);

}  // namespace

const platform::DialogTemplate kMainDialogKorean{
    IDD_VANTREL_DIALOG, kDialogStyle, WS_EX_APPWINDOW, 311, 167, L"Vantrel", L"MS Shell Dlg", 9,
    kKoreanControls.data(), kKoreanControls.size()};

platform::DialogTemplate MainDialogEnglish(UINT id) {
    return {id, kDialogStyle, WS_EX_APPWINDOW, 311, 167, L"Vantrel", L"MS Shell Dlg", 9,
            kEnglishControls.data(), kEnglishControls.size()};
}

}  // namespace res

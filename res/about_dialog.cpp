// The About box's template in both languages.
#include <array>

#include "res/resource.h"
#include "res/templates.h"

namespace res {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr DWORD kAboutStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT;

constexpr std::array<ControlTemplate, 4> MakeControls(const wchar_t* name, const wchar_t* line,
                                                      const wchar_t* ok) {
    return {{
        {ControlKind::Icon, IDC_STATIC, L"", 14, 14, 21, 20, WS_VISIBLE | SS_ICON, IDR_MAINFRAME},
        {ControlKind::Label, IDC_STATIC, name, 42, 14, 114, 8, WS_VISIBLE | SS_LEFT | SS_NOPREFIX},
        {ControlKind::Label, IDC_STATIC, line, 42, 26, 114, 8, WS_VISIBLE | SS_LEFT},
        {ControlKind::PushButton, IDOK, ok, 113, 41, 50, 14,
         WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
    }};
}

constexpr auto kKoreanControls =
    MakeControls(L"Vantrel, 버전 1.0", L"창 메뉴(Alt+Space) → 정렬 도우미", L"확인");
constexpr auto kEnglishControls =
    MakeControls(L"Vantrel, Version 1.0", L"Alt+Space → Alignment Assistant", L"OK");

}  // namespace

const platform::DialogTemplate kAboutDialogKorean{IDD_ABOUTBOX, kAboutStyle, 0, 170, 62,
                                                  L"Vantrel 정보", L"MS Shell Dlg", 9,
                                                  kKoreanControls.data(), kKoreanControls.size()};

const platform::DialogTemplate kAboutDialogEnglish{IDD_ABOUTBOX, kAboutStyle, 0, 170, 62,
                                                   L"About Vantrel", L"MS Shell Dlg", 9,
                                                   kEnglishControls.data(), kEnglishControls.size()};

}  // namespace res

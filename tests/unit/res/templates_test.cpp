// The dialog templates, string and icon of the program and of the English language pack,
// checked against the layout the dialogs are drawn to.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "module_folder.h"
#include "platform/resource_types.h"
#include "res/resource.h"
#include "res/templates.h"

using platform::ControlKind;

namespace {

struct Expected {
    int id;
    ControlKind kind;
    const wchar_t* korean;
    const wchar_t* english;
    short x, y, cx, cy;
    short englishCx;
};

constexpr ControlKind P = ControlKind::PushButton, T = ControlKind::TrackBar,
                      G = ControlKind::GroupBox, C = ControlKind::CheckBox, L = ControlKind::Label;

// Template order, which is also the tab order.
const Expected kMain[] = {
    {2000, P, L"카메라 시작", L"Start Camera", 234, 63, 71, 19, 71},
    {2001, T, L"", L"", 7, 51, 160, 15, 160},
    {-1, G, L"민감도조정", L"Gain", 4, 41, 205, 42, 205},
    {-1, G, L"노출시간조정", L"Exposure", 4, 84, 205, 41, 205},
    {2002, T, L"", L"", 8, 93, 158, 15, 158},
    {2003, C, L"Auto", L"Auto", 172, 51, 31, 10, 31},
    {2004, C, L"Auto", L"Auto", 173, 93, 31, 10, 31},
    {-1, G, L"카메라", L"Camera", 4, 9, 205, 30, 205},
    {2009, P, L"카메라 정지", L"Stop Camera", 234, 86, 71, 19, 71},
    {2010, P, L"이미지저장", L"Save Image", 234, 110, 71, 19, 71},
    {2011, C, L"표시선 보이기", L"Center Guidline", 235, 6, 71, 10, 71},
    {2012, C, L"눈금선 보이기", L"Grid Guidline", 235, 19, 70, 10, 70},
    {2017, C, L"촛점도구", L"Focus", 235, 32, 72, 10, 72},
    {2018, P, L"오른손 시스템", L"Right-handed System", 12, 18, 53, 14, 80},
    {2019, P, L"왼손 시스템", L"Left-handed System", 95, 19, 50, 14, 80},
    {-1, G, L"카메라 온도", L"Camera temperature", 4, 127, 205, 36, 205},
    {2020, L, L"Side 온도 : -", L"Side Camera : -", 11, 145, 75, 8, 100},
    {2021, L, L"Top 온도 : -", L"Top Camera : -", 115, 145, 59, 8, 90},
    {2022, P, L"예시이미지 보기", L"Show Sample", 235, 134, 70, 22, 70},
    {2023, P, L"Silent Grap", L"Silent Grap", 255, 46, 50, 14, 50},
    {1025, L, L" -", L" -", 52, 67, 36, 8, 36},
    {1026, L, L"-", L"-", 54, 111, 39, 8, 39},
    {-1, L, L"Side =", L"Side =", 12, 67, 22, 8, 22},
    {-1, L, L"Side =", L"Side =", 13, 111, 22, 8, 22},
    {-1, L, L"Top =", L"Top =", 114, 66, 21, 8, 21},
    {-1, L, L"Top =", L"Top =", 114, 110, 21, 8, 21},
    {1027, L, L"-", L"-", 148, 67, 41, 8, 41},
    {1028, L, L"-", L"-", 149, 111, 40, 8, 40},
};

bool Hidden(int id) { return id == 2003 || id == 2004 || id == 2023; }
bool Disabled(int id) { return id == 2001 || id == 2002 || id == 2003 || id == 2004; }

const platform::DialogTemplate* Find(const platform::ResourceTable& table, UINT id) {
    for (size_t i = 0; i < table.dialogCount; ++i)
        if (table.dialogs[i].id == id) return &table.dialogs[i];
    return nullptr;
}

std::wstring StringOf(const platform::ResourceTable& table, UINT id) {
    for (size_t i = 0; i < table.stringCount; ++i)
        if (table.strings[i].id == id) return table.strings[i].text;
    return {};
}

void ExpectMainDialog(const platform::DialogTemplate& dialog, bool english) {
    SCOPED_TRACE(english ? "English" : "Korean");
    EXPECT_EQ(dialog.cx, 311);
    EXPECT_EQ(dialog.cy, 167);
    EXPECT_EQ(std::wstring(dialog.caption), L"Vantrel");
    EXPECT_EQ(std::wstring(dialog.fontName), L"MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 9);
    const DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SHELLFONT;
    EXPECT_EQ(dialog.style, style);
    EXPECT_EQ(dialog.exStyle, WS_EX_APPWINDOW);
    ASSERT_EQ(dialog.controlCount, std::size(kMain));
    for (size_t i = 0; i < dialog.controlCount; ++i) {
        const platform::ControlTemplate& got = dialog.controls[i];
        const Expected& want = kMain[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(std::wstring(got.text), english ? want.english : want.korean);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, english ? want.englishCx : want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ((got.style & WS_VISIBLE) == 0, Hidden(want.id));
        EXPECT_EQ((got.style & WS_DISABLED) != 0, Disabled(want.id));
        const bool tabStop = want.kind == P || want.kind == C || want.kind == T;
        EXPECT_EQ((got.style & WS_TABSTOP) != 0, tabStop);
        if (want.kind == C) {
            EXPECT_EQ(got.style & 0xF, BS_AUTOCHECKBOX);
        }
        if (want.kind == T) {
            const DWORD trackBar = TBS_NOTICKS | TBS_BOTH | TBS_TOOLTIPS;
            EXPECT_EQ(got.style & trackBar, trackBar);
        }
    }
}

void ExpectAboutBox(const platform::DialogTemplate& about, const wchar_t* caption,
                    const wchar_t* name, const wchar_t* ok) {
    EXPECT_EQ(about.cx, 170);
    EXPECT_EQ(about.cy, 62);
    EXPECT_EQ(std::wstring(about.caption), caption);
    EXPECT_EQ(about.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    ASSERT_EQ(about.controlCount, 4u);
    const auto& icon = about.controls[0];
    EXPECT_EQ(icon.kind, ControlKind::Icon);
    EXPECT_EQ(icon.iconId, 228u);
    EXPECT_EQ(icon.x, 14);
    EXPECT_EQ(icon.y, 14);
    const auto& label = about.controls[1];
    EXPECT_EQ(std::wstring(label.text), name);
    EXPECT_TRUE(label.style & SS_NOPREFIX);
    EXPECT_EQ(std::vector<short>({label.x, label.y, label.cx, label.cy}), std::vector<short>({42, 14, 114, 8}));
    const auto& second = about.controls[2];
    EXPECT_EQ(std::vector<short>({second.x, second.y, second.cx, second.cy}), std::vector<short>({42, 26, 114, 8}));
    const auto& button = about.controls[3];
    EXPECT_EQ(button.id, IDOK);
    EXPECT_EQ(std::wstring(button.text), ok);
    EXPECT_TRUE(button.style & BS_DEFPUSHBUTTON);
    EXPECT_EQ(std::vector<short>({button.x, button.y, button.cx, button.cy}), std::vector<short>({113, 41, 50, 14}));
}

int IcoImageCount(const unsigned char* data, size_t size, std::vector<std::pair<int, int>>* images) {
    if (size < 6 || data[2] != 1) return 0;
    const int count = data[4] | (data[5] << 8);
    for (int i = 0; i < count; ++i) {
        const unsigned char* entry = data + 6 + 16 * i;
        images->emplace_back(entry[0], entry[6] | (entry[7] << 8));
    }
    return count;
}

}  // namespace

TEST(Templates, ProgramCarriesKoreanMainDialogAndEnglishCopy) {
    const platform::ResourceTable& program = *res::ProgramResources();
    ASSERT_NE(Find(program, 202), nullptr);
    ASSERT_NE(Find(program, 203), nullptr);
    ExpectMainDialog(*Find(program, 202), false);
    ExpectMainDialog(*Find(program, 203), true);
    ExpectAboutBox(*Find(program, 200), L"Vantrel 정보", L"Vantrel, 버전 1.0", L"확인");
    EXPECT_EQ(StringOf(program, 201), L"Vantrel 정보(&A)...");
    EXPECT_STREQ(res::kVersion, "2.0.0.2");
}

TEST(Templates, IconHoldsNineImagesAtThreeSizesAndDepths) {
    std::vector<std::pair<int, int>> images;
    ASSERT_EQ(IcoImageCount(res::kIconData, res::kIconSize, &images), 9);
    std::sort(images.begin(), images.end());
    const std::vector<std::pair<int, int>> expected = {{16, 4}, {16, 8}, {16, 24}, {32, 4}, {32, 8},
                                                       {32, 24}, {48, 4}, {48, 8}, {48, 24}};
    EXPECT_EQ(images, expected);
}

TEST(Templates, LanguagePackHoldsEnglishResourcesUnderTheProgramsIds) {
    const auto path = testing_support::BinFolder() / "PalveroToolLangEng.so";
    void* pack = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(pack, nullptr) << dlerror();
    const auto* table =
        static_cast<const platform::ResourceTable*>(dlsym(pack, platform::kResourceTableSymbol));
    ASSERT_NE(table, nullptr);
    ASSERT_NE(Find(*table, 202), nullptr);
    ExpectMainDialog(*Find(*table, 202), true);
    EXPECT_EQ(Find(*table, 203), nullptr);
    ASSERT_NE(Find(*table, 200), nullptr);
    ExpectAboutBox(*Find(*table, 200), L"About Vantrel", L"Vantrel, Version 1.0", L"OK");
    EXPECT_FALSE(StringOf(*table, 201).empty());
    ASSERT_EQ(table->iconCount, 1u);
    EXPECT_EQ(table->icons[0].id, 228u);
    // Resources only: the pack exports its table and no code.
    EXPECT_EQ(dlsym(pack, "_ZN3res17MainDialogEnglishEj"), nullptr);
    dlclose(pack);
}

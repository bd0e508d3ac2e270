// The application shell: language choice, the dialog's controls and initial state, the window
// menu with the About box, the title and the overlay boxes.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <regex>

#include "dialog/about_dlg.h"
#include "dialog_fixture.h"
#include "imaging/focus.h"
#include "platform/module_loader.h"
#include "platform/resources.h"
#include "res/templates.h"

namespace {

// A detector that reports no camera keeps these tests to the shell: one message, then the dialog.
class ShellTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        UseDetector("detect_returns_0.so");
    }
};

QString WidgetText(CWnd& control) {
    QWidget* widget = control.GetWidget();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    return {};
}

}  // namespace

TEST_F(ShellTest, KoreanLocalesGiveTheKoreanUiWithoutAPack) {
    UseLanguagePack();
    for (const char* locale : {"ko_KR.UTF-8", "ko_KP.UTF-8"}) {
        SCOPED_TRACE(locale);
        SetLocale(locale);
        CVantrelDlg& dialog = Open();
        EXPECT_TRUE(g_bKoreanUi);
        EXPECT_EQ(dialog.LangPack(), nullptr);
        EXPECT_EQ(WidgetText(Control(IDC_BTN_START)), QString::fromStdWString(L"카메라 시작"));
        EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), L"Side 온도 : -");
        Close();
    }
    EXPECT_EQ(messages_.size(), 2u);  // the no-camera message, once per run
}

TEST_F(ShellTest, OtherLocalesTakeTheEnglishTemplateFromThePack) {
    UseLanguagePack();
    for (const char* locale : {"en_US.UTF-8", "C"}) {
        SCOPED_TRACE(locale);
        SetLocale(locale);
        CVantrelDlg& dialog = Open();
        EXPECT_FALSE(g_bKoreanUi);
        ASSERT_NE(dialog.LangPack(), nullptr);
        EXPECT_EQ(AfxGetResourceHandle(), dialog.LangPack());
        EXPECT_EQ(WidgetText(Control(IDC_BTN_START)), "Start Camera");
        EXPECT_EQ(WidgetText(Control(IDC_BTN_RIGHT_HANDED)), "Right-handed System");
        EXPECT_EQ(TextOf(IDC_STATIC_TOP_TEMP), L"Top Camera : -");
        // The English buttons are 80 units wide, the Korean ones 53 and 50.
        const CRect wide = dialog.MapDialogRect({0, 0, 80, 14});
        EXPECT_EQ(Control(IDC_BTN_LEFT_HANDED).GetWidget()->width(), wide.Width());
        Close();
        EXPECT_EQ(AfxGetResourceHandle(), nullptr);  // the pack is freed with the dialog
    }
    EXPECT_EQ(messages_, std::vector<std::wstring>(2, L"Cannot find Camera (Check Filter Diver or DLL). "));
}

TEST_F(ShellTest, MissingPackIsReportedAndTheKoreanTemplateServesEnglishTexts) {
    SetLocale("en_US.UTF-8");
    CVantrelDlg& dialog = Open();
    EXPECT_EQ(dialog.LangPack(), nullptr);
    EXPECT_FALSE(g_bKoreanUi);
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[0], L"Cannot find language pack(PalveroToolLangEng.dll).");
    EXPECT_EQ(messages_[1], L"Cannot find Camera (Check Filter Diver or DLL). ");
    EXPECT_EQ(WidgetText(Control(IDC_BTN_START)), QString::fromStdWString(L"카메라 시작"));
}

TEST_F(ShellTest, InitialStateAndControls) {
    CVantrelDlg& dialog = Open();
    EXPECT_FALSE(dialog.IsCameraRunning());
    EXPECT_EQ(dialog.Frame(), nullptr);
    EXPECT_TRUE(dialog.CenterGuide());
    EXPECT_FALSE(dialog.GridGuide());
    EXPECT_FALSE(dialog.FocusTool());
    EXPECT_FALSE(dialog.IsLeftHanded());
    EXPECT_EQ(dialog.GainPos(), 0);
    EXPECT_EQ(dialog.ExposurePos(), 0);
    EXPECT_EQ(g_ptFocus.x, 320);
    EXPECT_EQ(g_ptFocus.y, 240);
    EXPECT_EQ(Control(IDC_CHECK_CENTER_GUIDE).SendMessage(BM_GETCHECK), BST_CHECKED);
    for (int id : {IDC_SLIDER_GAIN, IDC_SLIDER_EXPOSURE, IDC_CHECK_GAIN_AUTO, IDC_CHECK_EXPOSURE_AUTO})
        EXPECT_FALSE(Control(id).IsWindowEnabled()) << id;
    for (int id : {IDC_BTN_START, IDC_BTN_STOP}) EXPECT_TRUE(Control(id).IsWindowEnabled()) << id;
    for (int id : {IDC_CHECK_GAIN_AUTO, IDC_CHECK_EXPOSURE_AUTO, IDC_BTN_SILENT_GRAP})
        EXPECT_FALSE(Control(id).GetWidget()->isVisibleTo(dialog.GetWidget())) << id;
    const CRect client = dialog.MapDialogRect({0, 0, 311, 167});
    EXPECT_EQ(dialog.GetWidget()->size(), QSize(client.Width(), client.Height()));
    EXPECT_FALSE(dialog.GetWidget()->windowIcon().isNull());
}

TEST_F(ShellTest, TitleCarriesTheBuildDate) {
    CVantrelDlg& dialog = Open();
    const std::string title = platform::ToUtf8(dialog.GetWindowText());
    EXPECT_TRUE(std::regex_match(title, std::regex(R"(Vantrel \([A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}\))")))
        << title;
}

TEST_F(ShellTest, OverlayBoxesSetTheirFlags) {
    CVantrelDlg& dialog = Open();
    Control(IDC_CHECK_GRID_GUIDE).SendMessage(BM_SETCHECK, BST_CHECKED);
    Click(IDC_CHECK_GRID_GUIDE);
    Control(IDC_CHECK_FOCUS_TOOL).SendMessage(BM_SETCHECK, BST_CHECKED);
    Click(IDC_CHECK_FOCUS_TOOL);
    Control(IDC_CHECK_CENTER_GUIDE).SendMessage(BM_SETCHECK, BST_UNCHECKED);
    Click(IDC_CHECK_CENTER_GUIDE);
    EXPECT_TRUE(dialog.GridGuide());
    EXPECT_TRUE(dialog.FocusTool());
    EXPECT_FALSE(dialog.CenterGuide());
    Click(IDC_BTN_SILENT_GRAP);  // does nothing
    EXPECT_TRUE(dialog.GridGuide());
    EXPECT_FALSE(dialog.IsCameraRunning());
}

TEST_F(ShellTest, SystemCommands0x10To0x1FOpenTheAboutBox) {
    CVantrelDlg& dialog = Open();
    ASSERT_NE(dialog.WindowMenu(), nullptr);
    const auto& items = dialog.WindowMenu()->Items();
    ASSERT_EQ(items.size(), 3u);  // the separator, the Alignment Assistant, About
    EXPECT_TRUE(items[0].flags & MF_SEPARATOR);
    EXPECT_EQ(items[2].id, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(items[2].text, L"Vantrel 정보(&A)...");

    for (UINT command : {0x10u, 0x15u, 0x1Fu}) {
        QString aboutTitle;
        QTimer::singleShot(0, [&aboutTitle] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->isVisible() && window->windowTitle().contains(QStringLiteral("정보"))) {
                    aboutTitle = window->windowTitle();
                    window->close();
                }
            }
        });
        dialog.SendMessage(WM_SYSCOMMAND, command, 0);
        EXPECT_EQ(aboutTitle, QString::fromStdWString(L"Vantrel 정보")) << command;
    }
    // Other system commands are the window's own: 0x20 opens nothing and leaves the dialog open.
    dialog.SendMessage(WM_SYSCOMMAND, 0x20, 0);
    EXPECT_TRUE(dialog.GetWidget()->isVisible());
}

TEST_F(ShellTest, EmptyAboutStringGivesNoAboutItem) {
    static const platform::StringResource kEmpty[] = {{IDS_ABOUTBOX, L""}};
    const platform::ResourceTable& program = *res::ProgramResources();
    const platform::ResourceTable withoutAbout{program.dialogs, program.dialogCount, kEmpty, 1,
                                               program.icons, program.iconCount};
    platform::SetProgramResources(&withoutAbout);
    CVantrelDlg& dialog = Open();
    ASSERT_NE(dialog.WindowMenu(), nullptr);
    // Only the Alignment Assistant's item, after its separator, is left.
    const auto& items = dialog.WindowMenu()->Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].flags & MF_SEPARATOR);
    EXPECT_EQ(items[1].id, static_cast<UINT>(IDM_ASSISTANT));
    Close();
    platform::SetProgramResources(res::ProgramResources());
}

TEST_F(ShellTest, EnterAndEscapeCloseTheDialog) {
    CVantrelDlg& dialog = Open();
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(dialog.GetWidget()->isVisible());
    Close();
    CVantrelDlg& again = Open();
    again.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(again.GetWidget()->isVisible());
}

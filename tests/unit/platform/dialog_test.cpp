// Dialogs built from templates: geometry in dialog units, controls by id, the message map,
// keyboard behaviour and the window menu.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/app.h"
#include "platform/message_box.h"
#include "test_dialog.h"

namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr ControlTemplate kControls[] = {
    {ControlKind::PushButton, kButton, L"Press", 10, 10, 50, 14, WS_VISIBLE | WS_TABSTOP},
    {ControlKind::Label, kLabel, L" -", 10, 30, 40, 8, WS_VISIBLE},
    {ControlKind::CheckBox, kCheck, L"Box", 70, 10, 50, 10, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX},
    {ControlKind::PushButton, kHidden, L"Hidden", 10, 50, 50, 14, WS_TABSTOP},
    {ControlKind::PushButton, kDisabled, L"Off", 70, 50, 50, 14, WS_VISIBLE | WS_DISABLED | WS_TABSTOP},
    {ControlKind::TrackBar, kSlider, L"", 10, 70, 100, 15,
     WS_VISIBLE | WS_TABSTOP | TBS_NOTICKS | TBS_BOTH | TBS_TOOLTIPS},
};

}  // namespace

const platform::ResourceTable* TestResources() {
    static const platform::DialogTemplate dialogs[] = {
        {kTestTemplate, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SHELLFONT, 0, 200,
         100, L"Test", L"MS Shell Dlg", 9, kControls, std::size(kControls)},
    };
    static const platform::ResourceTable table{dialogs, 1, nullptr, 0, nullptr, 0};
    return &table;
}

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
    ON_BN_CLICKED(kButton, &TestDialog::OnButton)
    ON_BN_CLICKED(kCheck, &TestDialog::OnCheck)
    ON_NOTIFY(NM_RELEASEDCAPTURE, kSlider, &TestDialog::OnRelease)
    ON_WM_TIMER()
    ON_WM_SYSCOMMAND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void TestDialog::OnTimer(UINT_PTR id) {
    events.push_back("timer " + std::to_string(id));
    if (ticksBeforeClose > 0 && --ticksBeforeClose == 0) {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->windowTitle() == "Vantrel") window->close();
    }
}

void TestDialog::OnSysCommand(UINT id, LPARAM lParam) {
    events.push_back("syscommand " + std::to_string(id));
    CDialog::OnSysCommand(id, lParam);
}

class PlatformDialog : public ::testing::Test {
protected:
    void SetUp() override {
        platform::EnsureGuiApplication();
        platform::SetProgramResources(TestResources());
        ASSERT_TRUE(dialog.Create());
        QWidget* window = dialog.GetWidget();
        window->activateWindow();
        QApplication::setActiveWindow(window);
    }
    void TearDown() override { dialog.DestroyWindow(); }

    QWidget* Control(int id) { return dialog.ControlById(id)->GetWidget(); }

    TestDialog dialog;
};

TEST_F(PlatformDialog, ClientAreaAndControlsSitAtTheirMappedRectangles) {
    const CRect client = dialog.MapDialogRect({0, 0, 200, 100});
    EXPECT_EQ(dialog.GetWidget()->width(), client.Width());
    EXPECT_EQ(dialog.GetWidget()->height(), client.Height());
    for (const ControlTemplate& control : kControls) {
        const CRect rect = dialog.MapDialogRect(
            {control.x, control.y, control.x + control.cx, control.y + control.cy});
        const QRect geometry = Control(control.id)->geometry();
        EXPECT_EQ(geometry, QRect(rect.left, rect.top, rect.Width(), rect.Height())) << control.id;
    }
    // Dialog units follow the font: 4 horizontal units to a character width, 8 vertical to a line.
    const CRect unit = dialog.MapDialogRect({0, 0, 4, 8});
    const QFontMetrics metrics(dialog.GetWidget()->font());
    EXPECT_EQ(unit.bottom, metrics.height());
    EXPECT_GT(unit.right, 2);
}

TEST_F(PlatformDialog, ControlsTakeStyleAndTextFromTheTemplate) {
    EXPECT_EQ(static_cast<QPushButton*>(Control(kButton))->text(), "Press");
    EXPECT_EQ(static_cast<QLabel*>(Control(kLabel))->text(), " -");
    EXPECT_FALSE(Control(kHidden)->isVisible());
    EXPECT_FALSE(Control(kDisabled)->isEnabled());
    EXPECT_EQ(Control(kLabel)->focusPolicy(), Qt::NoFocus);
    auto* slider = static_cast<QSlider*>(Control(kSlider));
    EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(dialog.ControlById(999), nullptr);
    EXPECT_EQ(dialog.GetDlgItem(kButton), dialog.ControlById(kButton));
}

TEST_F(PlatformDialog, ControlMessagesActOnTheWidgets) {
    CWnd* check = dialog.ControlById(kCheck);
    EXPECT_EQ(check->SendMessage(BM_GETCHECK), BST_UNCHECKED);
    check->SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(check->SendMessage(BM_GETCHECK), BST_CHECKED);

    dialog.slider.SetRange(-5, 40, TRUE);
    dialog.slider.SendMessage(TBM_SETPOS, TRUE, 12);
    EXPECT_EQ(dialog.slider.GetRangeMin(), -5);
    EXPECT_EQ(dialog.slider.GetRangeMax(), 40);
    EXPECT_EQ(dialog.slider.SendMessage(TBM_GETPOS), 12);
    dialog.slider.SetPos(99);  // clamped by the range, as a track bar does
    EXPECT_EQ(dialog.slider.GetPos(), 40);

    dialog.button.EnableWindow(FALSE);
    EXPECT_FALSE(Control(kButton)->isEnabled());
    dialog.button.SetWindowText(L"카메라 시작");
    EXPECT_EQ(dialog.button.GetWindowText(), CString(L"카메라 시작"));
}

TEST_F(PlatformDialog, UserActionsArriveThroughTheMessageMap) {
    dialog.events.clear();
    QTest::mouseClick(Control(kButton), Qt::LeftButton);
    // Click the box itself, at the left of its text.
    QTest::mouseClick(Control(kCheck), Qt::LeftButton, {}, QPoint(6, Control(kCheck)->height() / 2));
    EXPECT_EQ(dialog.ControlById(kCheck)->SendMessage(BM_GETCHECK), BST_CHECKED);
    QTest::mousePress(Control(kSlider), Qt::LeftButton);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"button", "check"}));
    QTest::mouseRelease(Control(kSlider), Qt::LeftButton);
    QTest::mouseRelease(Control(kSlider), Qt::RightButton);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"button", "check", "release 12"}));
    // A click on a disabled control sends nothing.
    QTest::mouseClick(Control(kDisabled), Qt::LeftButton);
    EXPECT_EQ(dialog.events.size(), 3u);
}

// A handler that runs an event loop (a message box, a window being created) sees the clicks and
// keys that arrive meanwhile only after it has returned, and a click on a control it has
// disabled is dropped.
TEST_F(PlatformDialog, CommandsArrivingWhileAHandlerRunsWaitUntilItHasReturned) {
    dialog.events.clear();
    dialog.duringButton = [this] {
        QTest::mouseClick(Control(kButton), Qt::LeftButton);
        QTest::mouseClick(Control(kCheck), Qt::LeftButton, {}, QPoint(6, Control(kCheck)->height() / 2));
        QTest::mousePress(Control(kSlider), Qt::LeftButton);
        QTest::mouseRelease(Control(kSlider), Qt::LeftButton);
        QTest::keyClick(dialog.GetWidget(), Qt::Key_Escape);
        dialog.button.EnableWindow(FALSE);
        dialog.events.push_back("button done");
    };
    QTest::mouseClick(Control(kButton), Qt::LeftButton);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"button", "button done", "check",
                                                       "release 12", "cancel"}));
}

TEST_F(PlatformDialog, TabWalksTheTemplateOrderFromTheFirstEnabledTabStop) {
    EXPECT_EQ(QApplication::focusWidget(), Control(kButton));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control(kCheck));
    // The hidden and the disabled button are skipped.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control(kSlider));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control(kButton));
}

TEST_F(PlatformDialog, SpacePressesAndTogglesEnterAndEscapeClose) {
    dialog.events.clear();
    QTest::keyClick(Control(kButton), Qt::Key_Space);
    QTest::keyClick(Control(kCheck), Qt::Key_Space);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"button", "check"}));
    EXPECT_EQ(dialog.ControlById(kCheck)->SendMessage(BM_GETCHECK), BST_CHECKED);

    QTest::keyClick(Control(kCheck), Qt::Key_Return);
    EXPECT_EQ(dialog.events.back(), "ok");
    ASSERT_TRUE(dialog.Create() || true);
    QTest::keyClick(dialog.GetWidget(), Qt::Key_Escape);
    EXPECT_EQ(dialog.events.back(), "cancel");
}

TEST_F(PlatformDialog, WindowMenuCarriesTheAppendedItemsAsSystemCommands) {
    ASSERT_NE(dialog.WindowMenu(), nullptr);
    const auto& items = dialog.WindowMenu()->Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].flags & MF_SEPARATOR);
    EXPECT_EQ(items[1].id, 0x0010u);

    dialog.events.clear();
    // Alt+Space opens the menu; pick its last item.
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 3);  // Close, separator, About
        menu->actions().last()->trigger();
        menu->close();
    });
    QTest::keyClick(Control(kButton), Qt::Key_Space, Qt::AltModifier);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"syscommand 16"}));

    // The close box is the window menu's Close.
    dialog.GetWidget()->close();
    EXPECT_EQ(dialog.events.back(), "cancel");
    EXPECT_EQ(dialog.events[dialog.events.size() - 2], "syscommand " + std::to_string(SC_CLOSE));
}

TEST_F(PlatformDialog, DestroyingDetachesBoundControls) {
    EXPECT_NE(dialog.button.GetSafeHwnd(), nullptr);
    dialog.DestroyWindow();
    EXPECT_EQ(dialog.button.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dialog.events.back(), "destroy");
    // Operations on a detached control are harmless.
    dialog.button.EnableWindow(TRUE);
    EXPECT_EQ(dialog.button.SendMessage(BM_GETCHECK), 0);
}

// Timers with Windows semantics, and message boxes whose modal loop keeps them running.
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/app.h"
#include "platform/message_box.h"
#include "test_dialog.h"

class PlatformTimers : public ::testing::Test {
protected:
    void SetUp() override {
        platform::EnsureGuiApplication();
        platform::SetProgramResources(TestResources());
        ASSERT_TRUE(dialog.Create());
    }
    void TearDown() override {
        platform::SetMessageBoxHook(nullptr);
        dialog.DestroyWindow();
    }
    size_t Count(const std::string& event) const {
        return static_cast<size_t>(std::count(dialog.events.begin(), dialog.events.end(), event));
    }
    TestDialog dialog;
};

TEST_F(PlatformTimers, SetKillAndRestartFollowWindowsRules) {
    EXPECT_EQ(dialog.TimerPeriod(1001), -1);
    EXPECT_EQ(dialog.SetTimer(1001, 110, nullptr), 1001u);
    EXPECT_EQ(dialog.TimerPeriod(1001), 110);
    dialog.SetTimer(1001, 330, nullptr);  // setting an armed id restarts it with the new period
    EXPECT_EQ(dialog.TimerPeriod(1001), 330);
    EXPECT_TRUE(dialog.KillTimer(1001));
    EXPECT_EQ(dialog.TimerPeriod(1001), -1);
    EXPECT_FALSE(dialog.KillTimer(1001));  // harmless
}

TEST_F(PlatformTimers, ArmedTimersArriveAsTimerMessages) {
    dialog.SetTimer(7, 5, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Count("timer 7") >= 2; }, 5000));
    dialog.KillTimer(7);
    const size_t ticks = Count("timer 7");
    QTest::qWait(30);
    EXPECT_EQ(Count("timer 7"), ticks);
}

TEST_F(PlatformTimers, HookRecordsMessagesInsteadOfShowingThem) {
    std::vector<std::pair<std::wstring, std::wstring>> shown;
    platform::SetMessageBoxHook([&](const std::wstring& text, const std::wstring& caption) {
        shown.emplace_back(text, caption);
        return IDOK;
    });
    EXPECT_EQ(dialog.MessageBox(L"Cannot start Camera"), IDOK);
    EXPECT_EQ(AfxMessageBox(L"발열문제로 카메라를 정지합니다."), IDOK);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::make_pair(std::wstring(L"Cannot start Camera"), std::wstring(L"Vantrel")));
    EXPECT_EQ(shown[1].first, L"발열문제로 카메라를 정지합니다.");
}

TEST_F(PlatformTimers, MessageBoxLoopKeepsDispatchingTimers) {
    QString title, text;
    bool hasIcon = true;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                title = box->windowTitle();
                text = box->text();
                hasIcon = box->icon() != QMessageBox::NoIcon;
                buttons = static_cast<int>(box->buttons().size());
            }
        }
    });
    dialog.ticksBeforeClose = 3;  // the third tick closes the box
    dialog.SetTimer(9, 5, nullptr);
    EXPECT_EQ(dialog.MessageBox(L"Camera Stop!! (15min limit)."), IDOK);
    dialog.KillTimer(9);
    EXPECT_GE(Count("timer 9"), 3u);
    EXPECT_EQ(title, "Vantrel");
    EXPECT_EQ(text, "Camera Stop!! (15min limit).");
    EXPECT_FALSE(hasIcon);
    EXPECT_EQ(buttons, 1);
}

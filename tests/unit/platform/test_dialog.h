// A small dialog of the test's own, built through the platform layer like the program's.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog.h"
#include "platform/resources.h"

constexpr UINT kTestTemplate = 500;
enum TestControl { kButton = 10, kCheck = 11, kSlider = 12, kHidden = 13, kLabel = 14, kDisabled = 15 };

/// The test template and a string table with the About text used by the window menu.
const platform::ResourceTable* TestResources();

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(kTestTemplate) {}

    std::vector<std::string> events;
    CButton button;
    CSliderCtrl slider;
    int ticksBeforeClose = -1;  // closes the running message box after this many ticks

    std::function<void()> duringButton;  // runs once inside the next button handler

    void OnButton() {
        events.push_back("button");
        if (auto during = std::exchange(duringButton, nullptr)) during();
    }
    void OnCheck() { events.push_back("check"); }
    void OnRelease(NMHDR* header, LRESULT* result) {
        events.push_back("release " + std::to_string(header->idFrom));
        *result = 0;
    }
    void OnTimer(UINT_PTR id) override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnOK() override {
        events.push_back("ok");
        CDialog::OnOK();
    }
    void OnCancel() override {
        events.push_back("cancel");
        CDialog::OnCancel();
    }
    void OnDestroy() override { events.push_back("destroy"); }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, kButton, button);
        DDX_Control(pDX, kSlider, slider);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (CMenu* menu = GetSystemMenu(FALSE)) {
            menu->AppendMenu(MF_SEPARATOR);
            menu->AppendMenu(MF_STRING, 0x0010, L"About");
        }
        events.push_back("init");
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

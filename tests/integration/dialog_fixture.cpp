#include "dialog_fixture.h"

#include <cstdlib>
#include <sstream>

#include "imaging/focus.h"
#include "platform/app.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "res/templates.h"

using vantrel::testing::TestDoublePath;

void DialogTest::SetUp() {
    platform::EnsureGuiApplication();
    // The dialog takes its icon through the application object, as in the program.
    static CWinApp application(L"Vantrel");
    platform::SetProgramResources(res::ProgramResources());
    AfxSetResourceHandle(nullptr);
    platform::SetMessageBoxHook([this](const std::wstring& text, const std::wstring&) {
        messages_.push_back(text);
        return IDOK;
    });
    modules_ = std::make_unique<testing_support::ModuleFolder>();
    modules_->Activate();
    SetLocale("ko_KR.UTF-8");
    g_ptFocus = cvPoint(320, 240);
    g_focusFit = {};
}

void DialogTest::TearDown() {
    Close();
    camLink_.reset();
    modules_.reset();
    platform::SetMessageBoxHook(nullptr);
    unsetenv("LC_ALL");
}

void DialogTest::SetLocale(const char* locale) { setenv("LC_ALL", locale, 1); }

void DialogTest::UseDetector(const std::string& doubleName) {
    modules_->Add(TestDoublePath(doubleName), "QxCamDetecter.so");
}

void DialogTest::UseCamLink(const std::string& doubleName, const std::string& moduleName) {
    camLink_.reset();
    modules_->Add(TestDoublePath(doubleName), moduleName);
    camLink_ = std::make_unique<vantrel::testing::TestDoubleModule>(
        (modules_->Path() / moduleName).string());
    ASSERT_TRUE(camLink_->ok());
    camLink_->api().Reset();
    clearedCalls_ = 0;
}

void DialogTest::UseLanguagePack() {
    modules_->Add(testing_support::BinFolder() / "PalveroToolLangEng.so", "PalveroToolLangEng.so");
}

CVantrelDlg& DialogTest::Open() {
    dialog_ = std::make_unique<CVantrelDlg>();
    EXPECT_TRUE(dialog_->Create());
    return *dialog_;
}

void DialogTest::Close() {
    if (dialog_) {
        dialog_->DestroyWindow();
        dialog_.reset();
    }
}

void DialogTest::Click(int id) {
    dialog_->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

void DialogTest::Tick(UINT_PTR timer) { dialog_->SendMessage(WM_TIMER, timer, 0); }

void DialogTest::ReleaseSlider(int id) {
    NMHDR header{Control(id).GetSafeHwnd(), static_cast<UINT_PTR>(id), NM_RELEASEDCAPTURE};
    dialog_->SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
}

CWnd& DialogTest::Control(int id) {
    CWnd* control = dialog_->GetDlgItem(id);
    if (!control) throw std::runtime_error("no control " + std::to_string(id));
    return *control;
}

std::wstring DialogTest::TextOf(int id) { return Control(id).GetWindowText(); }

std::vector<std::string> DialogTest::Calls() {
    std::vector<std::string> calls;
    std::istringstream log(camLink_->api().CallLog());
    size_t index = 0;
    for (std::string line; std::getline(log, line); ++index)
        if (index >= clearedCalls_) calls.push_back(line);
    return calls;
}

void DialogTest::ClearCalls() {
    // Resetting the double would also restore its defaults; skip what was logged so far instead.
    clearedCalls_ += Calls().size();
}

const vantrel::testing::TestDoubleApi& DialogTest::Double() { return camLink_->api(); }

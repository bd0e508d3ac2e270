// Runs the main dialog in-process on Qt's offscreen platform, with modules of the test's choice
// in front of it, and records the message boxes it shows instead of showing them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog/vantrel_dlg.h"
#include "module_folder.h"
#include "res/resource.h"
#include "test_double_api.h"

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Sets the locale the dialog reads its language from.
    void SetLocale(const char* locale);
    /// Puts a detector double in front of the program ("detect_returns_1.so", ...).
    void UseDetector(const std::string& doubleName);
    /// Puts a camera-link double in front of the program under a backend's module name and keeps
    /// it loaded so the test can steer it and read its call log.
    void UseCamLink(const std::string& doubleName,
                    const std::string& moduleName = "QxCamLinkDLLDALSA.so");
    /// Copies the built English language pack into the module folder.
    void UseLanguagePack();

    /// Constructs and creates the dialog (WM_INITDIALOG runs).
    CVantrelDlg& Open();
    void Close();

    void Click(int id);
    void Tick(UINT_PTR timer = 1001);
    void ReleaseSlider(int id);
    std::wstring TextOf(int id);
    CWnd& Control(int id);

    /// The call log of the camera-link double since the last ClearCalls, one call per entry.
    std::vector<std::string> Calls();
    void ClearCalls();
    const vantrel::testing::TestDoubleApi& Double();

    std::unique_ptr<testing_support::ModuleFolder> modules_;
    std::unique_ptr<vantrel::testing::TestDoubleModule> camLink_;
    std::unique_ptr<CVantrelDlg> dialog_;
    std::vector<std::wstring> messages_;
    size_t clearedCalls_ = 0;
};

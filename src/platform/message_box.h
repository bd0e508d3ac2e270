// Message boxes: one OK button, no icon, the application's name as caption. Their modal loop
// keeps dispatching timers.
#pragma once

#include <functional>
#include <string>

#include "platform/win_types.h"

constexpr UINT MB_OK = 0x0000;

int AfxMessageBox(LPCTSTR text, UINT type = MB_OK, UINT helpId = 0);

namespace platform {

/// Shows a message box owned by owner (may be null) and returns IDOK.
int ShowMessageBox(class CWnd* owner, const std::wstring& text, const std::wstring& caption);

/// A test hook: while set, message boxes are not shown; the hook receives text and caption
/// and its result is returned as the box's answer.
using MessageBoxHook = std::function<int(const std::wstring& text, const std::wstring& caption)>;
void SetMessageBoxHook(MessageBoxHook hook);

/// The module of test hooks that test builds place beside the program and never install.
constexpr const char* kTestHooksModule = "VantrelTestHooks.so";

}  // namespace platform

/// Exported by the test hooks module, when present: told the text of each message box shown,
/// in UTF-8, so that the end-to-end tests can read what the real program said.
extern "C" void VantrelTestHook_MessageShown(const char* text);

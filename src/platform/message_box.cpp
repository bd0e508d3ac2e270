#include "platform/message_box.h"

#include <dlfcn.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <string>

#include "platform/app.h"
#include "platform/module_loader.h"
#include "platform/wnd.h"

namespace {

platform::MessageBoxHook g_hook;

using MessageShownHook = decltype(&VantrelTestHook_MessageShown);

// The test hooks module is looked for once, in the program's folder. The installed program has
// none, so nothing that exists for the tests acts there.
MessageShownHook TestHookOfMessages() {
    static const MessageShownHook hook = []() -> MessageShownHook {
        const std::string folder = platform::ModuleSearchFolder();
        if (folder.empty()) return nullptr;
        const std::string path = folder + "/" + platform::kTestHooksModule;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) return nullptr;
        return reinterpret_cast<MessageShownHook>(dlsym(module, "VantrelTestHook_MessageShown"));
    }();
    return hook;
}

}  // namespace

namespace platform {

void SetMessageBoxHook(MessageBoxHook hook) { g_hook = std::move(hook); }

int ShowMessageBox(CWnd* owner, const std::wstring& text, const std::wstring& caption) {
    const std::wstring title = caption.empty() ? std::wstring(AfxGetAppName()) : caption;
    if (g_hook) return g_hook(text, title);
    if (const auto tellTests = TestHookOfMessages()) tellTests(ToUtf8(text).c_str());
    EnsureGuiApplication();
    QWidget* parent = owner ? owner->GetWidget() : nullptr;
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdWString(title),
                    QString::fromStdWString(text), QMessageBox::Ok, parent);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setIcon(QIcon());
    if (parent) box.setWindowModality(Qt::WindowModal);
    box.exec();
    return IDOK;
}

}  // namespace platform

int AfxMessageBox(LPCTSTR text, UINT, UINT) {
    CWinApp* app = AfxGetApp();
    return platform::ShowMessageBox(app ? app->m_pMainWnd : nullptr, text ? text : L"", L"");
}

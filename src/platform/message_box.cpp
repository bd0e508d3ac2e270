#include "platform/message_box.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "platform/app.h"
#include "platform/module_loader.h"
#include "platform/wnd.h"

namespace {

platform::MessageBoxHook g_hook;

// VANTREL_MSGBOX_LOG names a file that receives every message text, one per line, for the
// end-to-end tests, which answer the boxes as a person would.
void AppendToLog(const std::wstring& text) {
    const char* path = std::getenv("VANTREL_MSGBOX_LOG");
    if (!path || !*path) return;
    if (FILE* log = std::fopen(path, "a")) {
        std::fprintf(log, "%s\n", platform::ToUtf8(text).c_str());
        std::fclose(log);
    }
}

}  // namespace

namespace platform {

void SetMessageBoxHook(MessageBoxHook hook) { g_hook = std::move(hook); }

int ShowMessageBox(CWnd* owner, const std::wstring& text, const std::wstring& caption) {
    const std::wstring title = caption.empty() ? std::wstring(AfxGetAppName()) : caption;
    if (g_hook) return g_hook(text, title);
    AppendToLog(text);
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

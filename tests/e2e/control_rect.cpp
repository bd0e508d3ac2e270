// Prints where a control of the main dialog lies in the dialog's client area, in pixels, as the
// dialog maps its template on this display: "x y width height". The end-to-end tests click there.
//
// Usage: control_rect [--english] CONTROL_ID
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/dialog.h"
#include "platform/resources.h"
#include "res/resource.h"
#include "res/templates.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool english = argc > 2 && std::strcmp(argv[1], "--english") == 0;
    if (argc < 2 || (english && argc < 3)) {
        std::fprintf(stderr, "usage: control_rect [--english] CONTROL_ID\n");
        return 2;
    }
    const int id = std::atoi(argv[english ? 2 : 1]);
    platform::SetProgramResources(res::ProgramResources());
    const platform::DialogTemplate* dialog =
        platform::FindDialogTemplate(english ? IDD_VANTREL_DIALOG_ENG : IDD_VANTREL_DIALOG);
    for (size_t i = 0; dialog && i < dialog->controlCount; ++i) {
        const platform::ControlTemplate& control = dialog->controls[i];
        if (control.id != id) continue;
        const CRect rect = platform::MapTemplateRect(
            *dialog, {control.x, control.y, control.x + control.cx, control.y + control.cy});
        std::printf("%d %d %d %d\n", rect.left, rect.top, rect.Width(), rect.Height());
        return 0;
    }
    std::fprintf(stderr, "no control %d\n", id);
    return 1;
}

// The program's own resource table.
#include <iterator>

#include "res/resource.h"
#include "res/templates.h"

namespace res {

const char kVersion[] = VANTREL_VERSION;

const platform::ResourceTable* ProgramResources() {
    static const platform::DialogTemplate dialogs[] = {
        kAboutDialogKorean,
        kMainDialogKorean,
        MainDialogEnglish(IDD_VANTREL_DIALOG_ENG),
    };
    static const platform::StringResource strings[] = {
        {IDS_ABOUTBOX, L"Vantrel 정보(&A)..."},
    };
    static const platform::IconResource icons[] = {
        {IDR_MAINFRAME, kIconData, kIconSize},
    };
    static const platform::ResourceTable table{dialogs, std::size(dialogs), strings,
                                               std::size(strings), icons, std::size(icons)};
    return &table;
}

}  // namespace res

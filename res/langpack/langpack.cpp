// PalveroToolLangEng: the English language pack, a resource-only module. It exports one table
// holding the main dialog (English texts), the About box, the About item's text and the icon
// under the program's resource ids.
#include <iterator>

#include "res/resource.h"
#include "res/templates.h"

namespace {

const platform::DialogTemplate kDialogs[] = {
    res::kAboutDialogEnglish,
    res::MainDialogEnglish(IDD_VANTREL_DIALOG),
};
const platform::StringResource kStrings[] = {
    {IDS_ABOUTBOX, L"&About Vantrel..."},
};
const platform::IconResource kIcons[] = {
    {IDR_MAINFRAME, res::kIconData, res::kIconSize},
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const platform::ResourceTable VantrelResourceTable{
    kDialogs, std::size(kDialogs), kStrings, std::size(kStrings), kIcons, std::size(kIcons)};

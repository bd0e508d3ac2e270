// Save Image and Show Sample.
#include "dialog/vantrel_dlg.h"

void CVantrelDlg::SaveImages() {
    // Snapshots arrive with the snapshot support of the imaging module.
}

void CVantrelDlg::ShowSamples() {
    // Reference pictures arrive with the snapshot support of the imaging module.
}

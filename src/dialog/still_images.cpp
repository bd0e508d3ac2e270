// Save Image and Show Sample.
#include <string>
#include <vector>

#include "dialog/vantrel_dlg.h"
#include "imaging/samples.h"
#include "imaging/snapshot.h"
#include "platform/module_loader.h"
#include "res/samples.h"

namespace {

constexpr UINT kFramePeriodAfterSnapshotMs = 330;

struct Snapshot {
    CameraSlot slot;
    const char* file;
};

}  // namespace

void CVantrelDlg::SaveImages() {
    if (!m_bCameraRunning || !m_pFrame) return;
    KillTimer(ID_TIMER_FRAME);

    const Snapshot right[2] = {{kSlotRightSide, "rr.png"}, {kSlotRightTop, "rt.png"}};
    const Snapshot left[2] = {{kSlotLeftSide, "ll.png"}, {kSlotLeftTop, "lt.png"}};
    std::wstring failed;
    for (const Snapshot& snapshot : m_bLeftHanded == 0 ? right : left) {
        GrabFrame(snapshot.slot, 0);
        if (!m_pFrame || !SaveSnapshot(snapshot.file, m_pFrame)) {
            if (!failed.empty()) failed += L", ";
            failed += platform::FromUtf8(snapshot.file);
        }
    }

    SetTimer(ID_TIMER_FRAME, kFramePeriodAfterSnapshotMs, nullptr);
    if (!failed.empty()) {
        CString text;
        text.Format(g_bKoreanUi ? L"이미지를 저장하지 못했습니다: %s" : L"Cannot save image: %s",
                    failed.c_str());
        MessageBox(text);
    }
}

void CVantrelDlg::ShowSamples() { ShowSamplePictures(SampleImageSet, m_bLeftHanded); }

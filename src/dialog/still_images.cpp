// Save Image and Show Sample.
#include <cstring>
#include <string>

#include "dialog/vantrel_dlg.h"
#include "imaging/samples.h"
#include "imaging/snapshot.h"
#include "platform/module_loader.h"
#include "res/samples.h"

namespace {

constexpr UINT kFramePeriodAfterSnapshotMs = 330;

std::wstring NoPictureMessage(const char* file) {
    const std::wstring name = platform::FromUtf8(file);
    return g_bKoreanUi ? L"카메라가 영상을 보내지 않아 " + name + L" 파일을 저장하지 않았습니다."
                       : L"The camera delivered no picture: " + name + L" was not saved.";
}

std::wstring WriteFailureMessage(const char* file, int error) {
    const std::wstring name = platform::FromUtf8(file);
    const std::wstring folder = platform::FromUtf8(WorkingFolder());
    const std::wstring reason = platform::FromUtf8(std::strerror(error));
    return g_bKoreanUi ? folder + L" 폴더에 " + name + L" 이미지를 저장하지 못했습니다: " + reason
                       : L"Cannot save image " + name + L" in " + folder + L": " + reason;
}

}  // namespace

void CVantrelDlg::SaveImages() {
    if (!m_bCameraRunning || !m_pFrame) return;
    KillTimer(ID_TIMER_FRAME);

    // A camera that delivered nothing leaves its file as it was: the black fill would replace a
    // good snapshot. Every problem goes into one message, shown once the timer runs again.
    const CameraSlot right[2] = {kSlotRightSide, kSlotRightTop};
    const CameraSlot left[2] = {kSlotLeftSide, kSlotLeftTop};
    std::wstring problems;
    for (const CameraSlot slot : m_bLeftHanded == 0 ? right : left) {
        const char* file = SnapshotFileName(slot);
        std::wstring problem;
        if (!GrabFrame(slot, 0)) {
            problem = NoPictureMessage(file);
        } else if (const int error = SaveSnapshot(file, m_pFrame)) {
            problem = WriteFailureMessage(file, error);
        }
        if (problem.empty()) continue;
        if (!problems.empty()) problems += L"\n";
        problems += problem;
    }

    SetTimer(ID_TIMER_FRAME, kFramePeriodAfterSnapshotMs, nullptr);
    if (!problems.empty()) MessageBox(problems.c_str());
}

void CVantrelDlg::ShowSamples() { ShowSamplePictures(SampleImageSet, m_bLeftHanded); }

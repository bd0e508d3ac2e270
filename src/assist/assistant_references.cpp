// The assistant window's references: what each camera position is offered and compares with,
// keeping a camera's picture as the installation's reference, and reading a changed file again.
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <cstring>
#include <ctime>

#include "assist/assistant_window.h"
#include "assist/camera_facts.h"
#include "imaging/snapshot.h"

namespace assist {

void AssistantWindow::ShowPositions() {
    for (int panel = 0; panel < 2; ++panel) {
        PrepareReference(SlotOf(panel));
        OfferReferences(panel);
        ShowMessage(panel);
    }
}

// Fills the panel's choice: the installation's references (newest first), the built-in sample,
// the last snapshot, the picture file picked last, and the entry that picks a file.
void AssistantWindow::OfferReferences(int panel) {
    const CameraSlot slot = SlotOf(panel);
    const Texts& texts = TextsFor(korean_);
    Reference& reference = references_[slot];
    reference.offered.clear();
    QStringList items;
    for (const measure::StoredReference& stored : store_.List(PositionName(slot))) {
        const QString date = QString::fromStdString(measure::LocalDateTime(stored.info.takenAt));
        items
            << Tr(items.isEmpty() ? texts.installationReference : texts.earlierReference).arg(date);
        reference.offered.push_back({ReferenceKind::Installation, stored.picturePath});
    }
    items << Tr(texts.builtInSample)
          << Tr(texts.lastSnapshot).arg(QLatin1String(SnapshotFileName(slot)));
    reference.offered.push_back({ReferenceKind::Sample, {}});
    reference.offered.push_back({ReferenceKind::Snapshot, {}});
    if (!reference.file.empty()) {
        items << Tr(texts.chosenFile)
                     .arg(QFileInfo(QString::fromStdString(reference.file)).fileName());
        reference.offered.push_back({ReferenceKind::File, reference.file});
    }
    items << Tr(texts.pictureFile);
    int chosen = 0;
    for (size_t i = 0; i < reference.offered.size(); ++i)
        if (reference.offered[i].kind == reference.choice.kind &&
            reference.offered[i].path == reference.choice.path)
            chosen = static_cast<int>(i);
    panels_[panel]->SetPosition(slot, items, chosen);
}

void AssistantWindow::ChooseReference(int panel, int index) {
    const CameraSlot slot = SlotOf(panel);
    Reference& reference = references_[slot];
    if (index < 0) return;
    if (static_cast<size_t>(index) >= reference.offered.size()) return PickFile(panel);
    reference.choice = reference.offered[index];
    reference.chosenByUser = true;
    reference.prepared = false;  // picking a file again reads it again
    reference.kept.clear();
    reference.keepFailed = false;
    PrepareReference(slot);
    ShowMessage(panel);
    live_[slot].shown = AlignmentOffset();
    idleShown_ = false;
    if (!running_) Refresh();
}

void AssistantWindow::PickFile(int panel) {
    const CameraSlot slot = SlotOf(panel);
    const Texts& texts = TextsFor(korean_);
    const QString start = references_[slot].file.empty()
                              ? QString::fromStdString(WorkingFolder())
                              : QString::fromStdString(references_[slot].file);
    const QString path = QFileDialog::getOpenFileName(
        this, Tr(texts.chooseFileTitle).arg(QLatin1String(PositionName(slot))), start,
        Tr(texts.fileFilter));
    if (!path.isEmpty()) references_[slot].file = path.toStdString();
    OfferReferences(panel);  // puts the picked file in the list, or the old choice back
    if (path.isEmpty()) return;
    ChooseReference(panel, static_cast<int>(references_[slot].offered.size()) - 1);
    OfferReferences(panel);
}

void AssistantWindow::PrepareReference(CameraSlot slot) {
    Reference& reference = references_[slot];
    if (!reference.chosenByUser) {
        // The installation's newest reference once there is one, else the built-in sample.
        const auto stored = store_.List(PositionName(slot));
        const ReferenceChoice fallback =
            stored.empty() ? ReferenceChoice{}
                           : ReferenceChoice{ReferenceKind::Installation, stored[0].picturePath};
        if (fallback.kind != reference.choice.kind || fallback.path != reference.choice.path) {
            reference.choice = fallback;
            reference.prepared = false;
        }
    }
    if (reference.prepared) return;
    reference.prepared = true;
    reference.loaded = LoadReference(slot, reference.choice, store_, korean_);
    reference.meter = AlignmentMeter();
    reference.track = AlignmentTrack();
    reference.shown = cv::Mat();
    if (!reference.loaded.picture.empty()) {
        reference.meter.SetReference(reference.loaded.picture);
        reference.shown = ShownPicture(reference.loaded.picture, PictureSize());
    }
}

void AssistantWindow::ReloadChangedFiles() {
    for (int panel = 0; panel < 2; ++panel) {
        const CameraSlot slot = SlotOf(panel);
        Reference& reference = references_[slot];
        if (reference.loaded.watched.empty() ||
            StampOf(reference.loaded.watched) == reference.loaded.stamp)
            continue;
        reference.prepared = false;
        PrepareReference(slot);
        ShowMessage(panel);
        live_[slot].shown = AlignmentOffset();
        idleShown_ = false;
    }
}

// The reference's problem, or what to know about it: colour turned grey, another camera's
// serial, where it was just kept.
void AssistantWindow::ShowMessage(int panel) {
    const CameraSlot slot = SlotOf(panel);
    const Reference& reference = references_[slot];
    const Texts& texts = TextsFor(korean_);
    const LoadedReference& loaded = reference.loaded;
    QStringList lines;
    if (!loaded.error.isEmpty()) lines << loaded.error;
    if (!loaded.note.isEmpty()) lines << loaded.note;
    const std::string& serial = live_[slot].serial;
    const bool otherCamera = !loaded.serial.empty() && !serial.empty() && loaded.serial != serial;
    if (otherCamera)
        lines << Tr(texts.otherCamera)
                     .arg(QString::fromStdString(loaded.serial), QString::fromStdString(serial));
    if (!reference.kept.isEmpty()) lines << reference.kept;
    const bool error = !loaded.error.isEmpty() || otherCamera || reference.keepFailed;
    panels_[panel]->SetReferenceMessage(lines.join(QLatin1Char('\n')), error);
    if (isVisible()) Refit();
}

void AssistantWindow::KeepReference(int panel) {
    const CameraSlot slot = SlotOf(panel);
    const cv::Mat& frame = live_[slot].frame;
    if (frame.empty()) return;
    const CameraFacts facts = ReadCameraFacts(camLink_, slot);
    measure::ReferenceInfo info;
    info.position = PositionName(slot);
    info.takenAt = std::time(nullptr);
    info.exposure = facts.exposure;
    info.gain = facts.gain;
    info.model = facts.model;
    info.serial = facts.serial;
    measure::StoredReference saved;
    const int error = store_.Save(frame, info, &saved);
    Reference& reference = references_[slot];
    const Texts& texts = TextsFor(korean_);
    reference.keepFailed = error != 0;
    if (error) {
        reference.kept =
            Tr(texts.keepFailed)
                .arg(PathText(store_.Folder()), QString::fromLocal8Bit(std::strerror(error)));
    } else {
        reference.choice = {ReferenceKind::Installation, saved.picturePath};
        reference.chosenByUser = false;  // the newest reference is the default
        reference.prepared = false;
        PrepareReference(slot);
        reference.kept = Tr(texts.kept).arg(PathText(saved.picturePath));
        live_[slot].shown = AlignmentOffset();
    }
    OfferReferences(panel);
    ShowMessage(panel);
}

}  // namespace assist

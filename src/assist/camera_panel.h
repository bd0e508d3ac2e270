// One camera's column of the assistant: the overlay picture, the reference choice, the offset
// with the way to turn the camera, and the focus figures with their plot.
#pragma once

#include <QGroupBox>
#include <deque>
#include <functional>

#include "assist/camera_analysis.h"
#include "assist/focus_plot.h"
#include "assist/reference_pictures.h"
#include "assist/texts.h"

class QComboBox;
class QLabel;

namespace assist {

class CameraPanel : public QGroupBox {
public:
    /// name ("side" or "top") prefixes the object names of the read-outs.
    CameraPanel(bool korean, const QString& name, QWidget* parent = nullptr);

    /// The camera position shown and its reference choice.
    void SetPosition(CameraSlot slot, ReferenceKind kind);
    /// A problem with the reference, or empty.
    void SetReferenceMessage(const QString& message);
    /// A measured refresh: the readings and the picture. hasReference false says why nothing
    /// could be measured.
    void ShowReading(const CameraReading& reading, bool hasReference, const QImage& picture);
    /// No measurement, with the reason in place of the verdict.
    void ShowWithout(const QString& reason, const QImage& picture);
    void ShowFocusHistory(const std::deque<FocusPlot::Sample>& samples, double best, double now);

    QComboBox* ReferenceBox() const { return reference_; }
    /// Called when the technician picks a reference, also when the same one is picked again.
    std::function<void(ReferenceKind)> onReferenceChosen;

    static constexpr int kPictureWidth = 320;
    static constexpr int kPictureHeight = 240;

private:
    QLabel* AddReadout(const QString& name);
    void ShowBest(double best);

    const bool korean_;
    const Texts& texts_;
    QLabel* picture_;
    QComboBox* reference_;
    QLabel* message_;
    QLabel* values_[4];      // horizontal, vertical, rotation, confidence
    QLabel* directions_[3];  // horizontal, vertical, rotation
    QLabel* verdict_;
    QLabel* sharpness_;
    QLabel* best_;
    QLabel* focusValue_;
    FocusPlot* plot_;
};

}  // namespace assist

// One camera's column of the assistant: the overlay picture, the reference choice, the offset
// with the way to turn the camera, and the focus figures with their plot.
#pragma once

#include <QGroupBox>
#include <QSize>
#include <deque>
#include <functional>

#include "assist/camera_analysis.h"
#include "assist/focus_plot.h"
#include "assist/reference_pictures.h"
#include "assist/texts.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace assist {

class MessageArea;

class CameraPanel : public QGroupBox {
public:
    /// name ("side" or "top") prefixes the object names of the read-outs.
    CameraPanel(bool korean, const QString& name, QWidget* parent = nullptr);

    /// The camera position shown, the references offered for it and the one chosen.
    void SetPosition(CameraSlot slot, const QStringList& references, int chosen);
    /// What to know about the reference (a problem when error is true), or empty.
    void SetReferenceMessage(const QString& message, bool error);
    /// The message, shown or not.
    MessageArea* Message() const { return messageArea_; }
    /// Whether there is a picture to keep as the reference.
    void SetKeepEnabled(bool enabled);
    /// A measured refresh: the readings and the picture. hasReference false says why nothing
    /// could be measured.
    void ShowReading(const CameraReading& reading, bool hasReference, const QImage& picture);
    /// No measurement, with the reason in place of the verdict.
    void ShowWithout(const QString& reason, const QImage& picture);
    void ShowFocusHistory(const std::deque<FocusPlot::Sample>& samples, double best, double now);

    /// The camera's name and position, "Side camera (RR)".
    QString Title() const;
    QComboBox* ReferenceBox() const { return reference_; }
    QPushButton* KeepButton() const { return keep_; }
    /// Called with the index of the reference picked, also when the same one is picked again.
    std::function<void(int)> onReferenceChosen;
    std::function<void()> onKeep;
    /// Called on a double click on the picture.
    std::function<void()> onEnlarge;

    static constexpr QSize kPictureSize{256, 192};

private:
    QLabel* AddReadout(const QString& name);
    void ShowBest(double best);

    const bool korean_;
    const Texts& texts_;
    QLabel* title_;
    QLabel* picture_;
    QComboBox* reference_;
    QPushButton* keep_;
    QLabel* message_;
    MessageArea* messageArea_;
    QLabel* values_[5];      // horizontal, vertical, rotation, distance, confidence
    QLabel* directions_[4];  // horizontal, vertical, rotation, distance
    QLabel* verdict_;
    QLabel* sharpness_;
    QLabel* best_;
    QLabel* focusValue_;
    FocusPlot* plot_;
};

}  // namespace assist

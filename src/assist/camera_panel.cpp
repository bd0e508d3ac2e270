#include "assist/camera_panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "assist/message_area.h"
#include "assist/readings.h"

namespace assist {
namespace {

constexpr Axis kAxes[3] = {Axis::Horizontal, Axis::Vertical, Axis::Rotation};

QLabel* NamedLabel(const QString& objectName, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("-"), parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The overlay picture, which a double click shows larger.
// Always filled by its picture, so a new one repaints nothing beneath it.
class Picture : public QLabel {
public:
    Picture(std::function<void()>& onDoubleClick, QWidget* parent)
        : QLabel(parent), onDoubleClick_(onDoubleClick) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void mouseDoubleClickEvent(QMouseEvent*) override {
        if (onDoubleClick_) onDoubleClick_();
    }

private:
    std::function<void()>& onDoubleClick_;
};

// Qt restyles and repaints a widget at every setStyleSheet, even to the same sheet.
void SetColour(QLabel* label, const QString& sheet) {
    if (label->styleSheet() != sheet) label->setStyleSheet(sheet);
}

// Why the offset could not be measured, in the window's language.
const char* RefusalText(const Texts& texts, AlignmentFailure failure) {
    switch (failure) {
        case AlignmentFailure::OverExposed:
            return texts.overExposed;
        case AlignmentFailure::TooDark:
            return texts.tooDark;
        case AlignmentFailure::OutOfRange:
            return texts.outOfRange;
        default:
            return texts.noMatch;
    }
}

}  // namespace

CameraPanel::CameraPanel(bool korean, const QString& name, QWidget* parent)
    : QGroupBox(parent), korean_(korean), texts_(TextsFor(korean)) {
    const Texts& texts = texts_;
    setObjectName(name);
    // The camera's name with the verdict beside it on top, then the picture on the left and the
    // figures on the right, then the reference choice and its message across both.
    auto* panel = new QVBoxLayout(this);
    panel->setContentsMargins(6, 4, 6, 4);
    panel->setSpacing(3);
    auto* header = new QHBoxLayout;
    title_ = NamedLabel(name + QStringLiteral(".title"), this);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    header->addWidget(title_);
    panel->addLayout(header);
    auto* row = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    right->setSpacing(2);
    row->addLayout(left);
    row->addLayout(right, 1);
    panel->addLayout(row);

    picture_ = new Picture(onEnlarge, this);
    picture_->setObjectName(name + QStringLiteral(".picture"));
    picture_->setFixedSize(kPictureSize);
    picture_->setToolTip(Tr(texts.enlarge));
    left->addWidget(picture_);
    left->addStretch(1);
    verdict_ = NamedLabel(name + QStringLiteral(".verdict"), this);
    verdict_->setWordWrap(true);
    verdict_->setFont(bold);
    header->addSpacing(12);
    header->addWidget(verdict_, 1);

    auto* referenceRow = new QHBoxLayout;
    auto* referenceLabel = new QLabel(Tr(texts.reference), this);
    reference_ = new QComboBox(this);
    reference_->setObjectName(name + QStringLiteral(".reference"));
    // Long entries (a file's name) must not widen the window.
    reference_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    reference_->setMinimumContentsLength(10);
    referenceLabel->setBuddy(reference_);
    keep_ = new QPushButton(Tr(texts.keepReference), this);
    keep_->setObjectName(name + QStringLiteral(".keep"));
    keep_->setAutoDefault(false);
    keep_->setEnabled(false);
    referenceRow->addWidget(referenceLabel);
    referenceRow->addWidget(reference_, 1);
    referenceRow->addWidget(keep_);
    panel->addLayout(referenceRow);
    QObject::connect(reference_, QOverload<int>::of(&QComboBox::activated), this,
                     [this](int index) {
                         if (onReferenceChosen) onReferenceChosen(index);
                     });
    QObject::connect(keep_, &QPushButton::clicked, this, [this] {
        if (onKeep) onKeep();
    });

    message_ = NamedLabel(name + QStringLiteral(".message"), this);
    message_->setWordWrap(true);
    message_->setText({});
    messageArea_ = new MessageArea(message_, this);
    messageArea_->hide();
    panel->addWidget(messageArea_);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(0);
    grid->setHorizontalSpacing(8);
    const char* names[5] = {texts.horizontal, texts.vertical, texts.rotation, texts.distance,
                            texts.confidence};
    const char* keys[5] = {"horizontal", "vertical", "rotation", "distance", "confidence"};
    for (int line = 0; line < 5; ++line) {
        grid->addWidget(new QLabel(Tr(names[line]), this), line, 0);
        values_[line] = NamedLabel(name + QLatin1Char('.') + QLatin1String(keys[line]), this);
        values_[line]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        values_[line]->setMinimumWidth(64);
        grid->addWidget(values_[line], line, 1);
        if (line < 4) {
            directions_[line] = NamedLabel(
                name + QLatin1Char('.') + QLatin1String(keys[line]) + QStringLiteral(".direction"),
                this);
            directions_[line]->setText({});
            grid->addWidget(directions_[line], line, 2);
        }
    }
    grid->setColumnStretch(2, 1);
    right->addLayout(grid);

    auto* sharpnessRow = new QHBoxLayout;
    sharpnessRow->setSpacing(6);
    sharpness_ = NamedLabel(name + QStringLiteral(".sharpness"), this);
    best_ = NamedLabel(name + QStringLiteral(".best"), this);
    sharpnessRow->addWidget(sharpness_);
    sharpnessRow->addWidget(best_);
    sharpnessRow->addStretch(1);
    right->addLayout(sharpnessRow);
    plot_ = new FocusPlot(this);
    right->addWidget(plot_, 1);
    // Under the plot: its span, and the live window's figure beside it.
    auto* underPlot = new QHBoxLayout;
    underPlot->addWidget(new QLabel(Tr(texts.plotSpan), this));
    underPlot->addStretch(1);
    focusValue_ = NamedLabel(name + QStringLiteral(".focusValue"), this);
    underPlot->addWidget(focusValue_);
    right->addLayout(underPlot);
}

void CameraPanel::SetPosition(CameraSlot slot, const QStringList& references, int chosen) {
    title_->setText(
        QStringLiteral("%1 (%2)").arg(Tr(IsTopCamera(slot) ? texts_.topCamera : texts_.sideCamera),
                                      QLatin1String(PositionName(slot))));
    reference_->clear();
    reference_->addItems(references);
    reference_->setCurrentIndex(chosen);
}

QString CameraPanel::Title() const {
    return title_->text();
}

void CameraPanel::SetReferenceMessage(const QString& message, bool error) {
    message_->setText(message);
    SetColour(message_, error ? QStringLiteral("color: #c00000;") : QString());
    messageArea_->setVisible(!message.isEmpty());
    messageArea_->updateGeometry();
}

void CameraPanel::SetKeepEnabled(bool enabled) {
    keep_->setEnabled(enabled);
}

void CameraPanel::ShowReading(const CameraReading& reading, bool hasReference,
                              const QImage& picture) {
    picture_->setPixmap(QPixmap::fromImage(picture));
    const AlignmentOffset& offset = reading.offset;
    for (int i = 0; i < 3; ++i) {
        values_[i]->setText(OffsetText(offset, kAxes[i]));
        directions_[i]->setText(DirectionText(offset, kAxes[i], korean_));
        const bool off =
            offset.measured && !WithinTolerance(kAxes[i], OffsetAlong(offset, kAxes[i]));
        SetColour(directions_[i], off ? QStringLiteral("color: #b35900;") : QString());
    }
    values_[3]->setText(ScaleText(offset));
    directions_[3]->setText(DistanceText(offset, korean_));
    const bool far = offset.measured && std::abs(offset.scale - 1.0) > kScaleTolerance;
    SetColour(directions_[3], far ? QStringLiteral("color: #b35900;") : QString());
    values_[4]->setText(ConfidenceText(offset));
    if (!offset.measured) {
        verdict_->setText(
            Tr(hasReference ? RefusalText(texts_, offset.failure) : texts_.noReference));
        SetColour(verdict_, QStringLiteral("color: #c00000;"));
    } else if (IsAligned(offset)) {
        verdict_->setText(Tr(texts_.aligned));
        SetColour(verdict_, QStringLiteral("color: #007a00;"));
    } else {
        verdict_->setText(Tr(texts_.notAligned));
        SetColour(verdict_, QStringLiteral("color: #b35900;"));
    }
    sharpness_->setText(
        Tr(texts_.sharpness) + QLatin1Char(' ') +
        (reading.overExposed ? Tr(texts_.sharpnessClipped) : FigureText(reading.sharpness, 1)));
    focusValue_->setText(Tr(texts_.focusValue) + QLatin1Char(' ') +
                         (reading.focusFit ? QString::asprintf("%f", double{reading.focusFit->a})
                                           : QStringLiteral("-")));
}

void CameraPanel::ShowWithout(const QString& reason, const QImage& picture) {
    picture_->setPixmap(QPixmap::fromImage(picture));
    for (QLabel* value : values_) value->setText(QStringLiteral("-"));
    for (QLabel* direction : directions_) direction->clear();
    verdict_->setText(reason);
    SetColour(verdict_, {});
    sharpness_->setText(Tr(texts_.sharpness) + QStringLiteral(" -"));
    focusValue_->setText(Tr(texts_.focusValue) + QStringLiteral(" -"));
}

void CameraPanel::ShowFocusHistory(const std::deque<FocusPlot::Sample>& samples, double best,
                                   double now) {
    ShowBest(best);
    plot_->Show(samples, best, now);
}

void CameraPanel::ShowBest(double best) {
    best_->setText(QStringLiteral("(%1 %2): %3")
                       .arg(Tr(texts_.best), FigureText(best, 1), Tr(texts_.followThis)));
}

}  // namespace assist

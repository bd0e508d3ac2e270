// A wrapped text as tall as it needs, up to a limit beyond which it scrolls: what gives way
// when the assistant's window would not fit the screen.
#pragma once

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

namespace assist {

class MessageArea : public QScrollArea {
public:
    /// Takes label (word-wrapped) as its content.
    MessageArea(QLabel* label, QWidget* parent) : QScrollArea(parent), label_(label) {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWidgetResizable(true);
        setWidget(label);
        viewport()->setAutoFillBackground(false);
        label->setAutoFillBackground(false);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    /// The most height it takes; 0 is no limit.
    void SetLimit(int height) {
        limit_ = height > 0 ? height : QWIDGETSIZE_MAX;
        updateGeometry();
    }
    /// The height the whole text needs at width.
    int Wanted(int width) const { return label_->heightForWidth(width); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const int whole = Wanted(width);
        if (whole <= limit_) return whole;
        // Beside the scroll bar the text is narrower, and so taller.
        return std::min(Wanted(width - verticalScrollBar()->sizeHint().width()), limit_);
    }
    QSize sizeHint() const override { return {width(), heightForWidth(width())}; }
    QSize minimumSizeHint() const override { return {0, heightForWidth(width())}; }

private:
    QLabel* label_;
    int limit_ = QWIDGETSIZE_MAX;
};

}  // namespace assist

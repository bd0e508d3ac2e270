#include "assist/focus_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

namespace assist {
namespace {

struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void Include(double value) {
        if (!std::isfinite(value)) return;
        low = std::min(low, value);
        high = std::max(high, value);
    }
    bool Empty() const { return !(low <= high); }
};

}  // namespace

FocusPlot::FocusPlot(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);            // paintEvent fills every pixel
    setMinimumSize(200, 2 * fontMetrics().height());  // room for the scale's two figures
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void FocusPlot::Show(const std::deque<Sample>& samples, double best, double now) {
    samples_ = samples;
    best_ = best;
    now_ = now;
    update();
}

void FocusPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics metrics = painter.fontMetrics();

    // The vertical scale spans the values shown and the best one, so that the peak stands out.
    Range range;
    range.Include(best_);
    for (const Sample& sample : samples_)
        if (now_ - sample.seconds <= kSpanSeconds) range.Include(sample.value);
    QString lowText = QStringLiteral("-"), highText = QStringLiteral("-");
    if (!range.Empty()) {
        const double margin =
            std::max((range.high - range.low) * 0.1, std::max(std::abs(range.high) * 0.02, 0.05));
        range.low = std::max(0.0, range.low - margin);
        range.high += margin;
        lowText = QString::number(range.low, 'f', 1);
        highText = QString::number(range.high, 'f', 1);
    }

    // The scale's figures on the left of the plot: nothing is drawn over them.
    const int scaleWidth =
        std::max(metrics.horizontalAdvance(lowText), metrics.horizontalAdvance(highText)) + 6;
    const QRectF frame = QRectF(scaleWidth, 0.5, width() - scaleWidth - 0.5, height() - 1.0);
    painter.setPen(palette().text().color());
    painter.drawText(QRect(0, 0, scaleWidth - 4, metrics.height()), Qt::AlignRight | Qt::AlignTop,
                     highText);
    painter.drawText(QRect(0, static_cast<int>(frame.bottom()) - metrics.height(), scaleWidth - 4,
                           metrics.height()),
                     Qt::AlignRight | Qt::AlignBottom, lowText);
    painter.setPen(palette().mid().color());
    painter.drawRect(frame);
    const QRectF plot = frame.adjusted(1, 2, -1, -2);
    auto x = [&](double seconds) {
        return plot.right() - (now_ - seconds) / kSpanSeconds * plot.width();
    };
    for (int tick = 0; tick <= 60; tick += 10)  // a tick every ten seconds
        painter.drawLine(QPointF(x(now_ - tick), frame.bottom()),
                         QPointF(x(now_ - tick), frame.bottom() - 4));
    if (range.Empty()) return;
    auto y = [&](double value) {
        return plot.bottom() - (value - range.low) / (range.high - range.low) * plot.height();
    };

    painter.setRenderHint(QPainter::Antialiasing);
    if (std::isfinite(best_)) {
        painter.setPen(QPen(QColor(220, 140, 0), 1, Qt::DashLine));
        painter.drawLine(QPointF(plot.left(), y(best_)), QPointF(plot.right(), y(best_)));
    }
    QPainterPath path;
    double previous = -std::numeric_limits<double>::infinity();
    for (const Sample& sample : samples_) {
        if (now_ - sample.seconds > kSpanSeconds || !std::isfinite(sample.value)) {
            previous = -std::numeric_limits<double>::infinity();  // no figure: a gap
            continue;
        }
        const QPointF point(x(sample.seconds), y(sample.value));
        if (sample.seconds - previous <= kGapSeconds)
            path.lineTo(point);
        else
            path.moveTo(point);
        previous = sample.seconds;
    }
    painter.setPen(QPen(QColor(0, 120, 215), 1.5));
    painter.drawPath(path);
}

}  // namespace assist

#include "assist/focus_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

namespace assist {

FocusPlot::FocusPlot(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 60);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void FocusPlot::Show(const std::deque<Sample>& samples, double best, double now,
                     const QString& span) {
    samples_ = samples;
    best_ = best;
    now_ = now;
    span_ = span;
    update();
}

void FocusPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().mid().color());
    painter.drawRect(frame);
    painter.setPen(palette().text().color());
    painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignBottom, span_);

    // The vertical scale spans the values shown and the best one, so that the peak stands out.
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    auto include = [&](double value) {
        if (!std::isfinite(value)) return;
        low = std::min(low, value);
        high = std::max(high, value);
    };
    include(best_);
    for (const Sample& sample : samples_)
        if (now_ - sample.seconds <= kSpanSeconds) include(sample.value);
    if (!(low <= high)) return;
    const double margin = std::max((high - low) * 0.1, std::max(std::abs(high) * 0.02, 1e-6));
    low -= margin;
    high += margin;
    const QRectF plot = frame.adjusted(2, 4, -2, -2);
    auto x = [&](double seconds) {
        return plot.right() - (now_ - seconds) / kSpanSeconds * plot.width();
    };
    auto y = [&](double value) {
        return plot.bottom() - (value - low) / (high - low) * plot.height();
    };

    painter.setRenderHint(QPainter::Antialiasing);
    if (std::isfinite(best_)) {
        painter.setPen(QPen(QColor(220, 140, 0), 1, Qt::DashLine));
        painter.drawLine(QPointF(plot.left(), y(best_)), QPointF(plot.right(), y(best_)));
    }
    QPainterPath path;
    bool started = false;
    for (const Sample& sample : samples_) {
        if (now_ - sample.seconds > kSpanSeconds || !std::isfinite(sample.value)) {
            started = false;  // a gap where the window was empty
            continue;
        }
        const QPointF point(x(sample.seconds), y(sample.value));
        if (started)
            path.lineTo(point);
        else
            path.moveTo(point);
        started = true;
    }
    painter.setPen(QPen(QColor(0, 120, 215), 1.5));
    painter.drawPath(path);
}

}  // namespace assist

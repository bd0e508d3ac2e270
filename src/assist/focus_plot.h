// A small plot of one camera's sharpness over the last 60 seconds, with a line at the best
// value, so that the technician turning the focus ring sees the peak pass.
#pragma once

#include <QWidget>
#include <deque>

namespace assist {

class FocusPlot : public QWidget {
public:
    explicit FocusPlot(QWidget* parent = nullptr);

    struct Sample {
        double seconds;  // since the window opened
        double value;
    };
    /// Sets what the plot shows: the samples (oldest first), the best value (NaN for none) and
    /// the time now. The plot has a tick every ten seconds; its span is said beside it.
    void Show(const std::deque<Sample>& samples, double best, double now);

    static constexpr double kSpanSeconds = 60.0;
    /// Samples further apart than this are not joined: there was no picture between them.
    static constexpr double kGapSeconds = 1.0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::deque<Sample> samples_;
    double best_ = 0.0;
    double now_ = 0.0;
};

}  // namespace assist

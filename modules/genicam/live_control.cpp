#include "genicam/live_control.h"

#include <utility>

namespace vantrel::genicam {

namespace {

constexpr std::array<Quantity, 3> kQuantities = {Quantity::kExposure, Quantity::kGain,
                                                 Quantity::kTemperature};

size_t Index(Quantity quantity) { return static_cast<size_t>(quantity); }

}  // namespace

LiveControl::LiveControl(Read read, Write write, const Values& initial)
    : read_(std::move(read)), write_(std::move(write)), values_(initial), thread_([this] { Run(); }) {}

LiveControl::~LiveControl() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::optional<double> LiveControl::Value(Quantity quantity) const {
    const std::lock_guard lock(mutex_);
    return values_[Index(quantity)];
}

bool LiveControl::Set(Quantity quantity, double value) {
    std::unique_lock lock(mutex_);
    writes_[Index(quantity)] = value;
    const uint64_t ticket = ++asked_;
    wake_.notify_all();
    if (!written_.wait_for(lock, kWriteWait, [&] { return carried_ >= ticket || stopping_; })) {
        return true;
    }
    return carried_ >= ticket ? lastTaken_ : false;
}

bool LiveControl::HasWrites() const {
    for (const std::optional<double>& write : writes_) {
        if (write) return true;
    }
    return false;
}

void LiveControl::Run() {
    std::unique_lock lock(mutex_);
    auto nextRead = std::chrono::steady_clock::now() + kReadPeriod;
    while (!stopping_) {
        if (HasWrites()) {
            const Values writes = std::exchange(writes_, Values{});
            const uint64_t batch = asked_;
            lock.unlock();
            bool taken = true;
            Values readBack;
            for (const Quantity quantity : kQuantities) {
                const std::optional<double>& value = writes[Index(quantity)];
                if (!value) continue;
                taken = write_(quantity, *value) && taken;
                readBack[Index(quantity)] = read_(quantity);
            }
            lock.lock();
            for (const Quantity quantity : kQuantities) {
                if (writes[Index(quantity)]) values_[Index(quantity)] = readBack[Index(quantity)];
            }
            carried_ = batch;
            lastTaken_ = taken;
            written_.notify_all();
            continue;
        }
        if (std::chrono::steady_clock::now() >= nextRead) {
            lock.unlock();
            Values read;
            for (const Quantity quantity : kQuantities) read[Index(quantity)] = read_(quantity);
            lock.lock();
            // A write that came in meanwhile is read back after it is carried out.
            for (const Quantity quantity : kQuantities) {
                if (!writes_[Index(quantity)]) values_[Index(quantity)] = read[Index(quantity)];
            }
            nextRead = std::chrono::steady_clock::now() + kReadPeriod;
            continue;
        }
        wake_.wait_until(lock, nextRead, [this] { return stopping_ || HasWrites(); });
    }
    written_.notify_all();
}

}  // namespace vantrel::genicam

// While a camera acquires, one thread of its own is the only one that talks to it over the
// control channel: it reads exposure, gain and temperature every kReadPeriod and carries out the
// writes the caller asks for. The caller reads the values last read and waits at most kWriteWait
// for a write, so a camera that stops answering (whose every request waits for Aravis's time-outs,
// seconds in all) holds up this thread only, never the program's window.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "genicam/features.h"

namespace vantrel::genicam {

class LiveControl {
public:
    using Read = std::function<std::optional<double>(Quantity)>;
    using Write = std::function<bool(Quantity, double)>;
    using Values = std::array<std::optional<double>, 3>;

    static constexpr std::chrono::milliseconds kReadPeriod{250};
    static constexpr std::chrono::milliseconds kWriteWait{80};

    // Starts the thread. initial holds the values read just before; read and write run on the
    // thread only and must stay callable until this object is gone.
    LiveControl(Read read, Write write, const Values& initial);
    // Ends the thread, after the request it is carrying out.
    ~LiveControl();
    LiveControl(const LiveControl&) = delete;
    LiveControl& operator=(const LiveControl&) = delete;

    // The value last read, or nothing when the camera did not answer it.
    std::optional<double> Value(Quantity quantity) const;
    // Asks for a write; a newer write of the same quantity replaces one not carried out yet.
    // Whether the camera took it, when that is known within kWriteWait; true while it is still on
    // its way.
    bool Set(Quantity quantity, double value);

private:
    void Run();
    bool HasWrites() const;

    const Read read_;
    const Write write_;

    mutable std::mutex mutex_;  // guards everything below it but thread_
    std::condition_variable wake_;
    std::condition_variable written_;
    Values values_;
    Values writes_;
    uint64_t asked_ = 0;    // writes asked for so far
    uint64_t carried_ = 0;  // of those, carried out
    bool lastTaken_ = true;
    bool stopping_ = false;

    std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace vantrel::genicam

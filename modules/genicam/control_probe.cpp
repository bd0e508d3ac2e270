#include "genicam/control_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>

namespace vantrel::genicam {

namespace {

constexpr uint16_t kGvcpPort = 3956;
constexpr uint16_t kReadRegisterCommand = 0x0080;
constexpr uint16_t kReadRegisterAck = 0x0081;
constexpr uint32_t kControlPrivilegeRegister = 0x0A00;
constexpr int kAnswerWaitMs = 50;
constexpr int kTries = 2;

class Socket {
public:
    Socket() : fd_(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0) close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

void Put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

uint32_t Get32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | at[3];
}

}  // namespace

std::optional<bool> ControlHeldElsewhere(const std::string& address) {
    sockaddr_in camera{};
    camera.sin_family = AF_INET;
    camera.sin_port = htons(kGvcpPort);
    if (inet_pton(AF_INET, address.c_str(), &camera.sin_addr) != 1) return std::nullopt;
    const Socket socket;
    if (socket.fd() < 0) return std::nullopt;

    for (uint16_t request = 1; request <= kTries; ++request) {
        // Header: key 0x42, flags (acknowledge wanted), command, payload length, request id;
        // then the register's address.
        std::array<uint8_t, 12> packet{0x42, 0x01};
        Put16(&packet[2], kReadRegisterCommand);
        Put16(&packet[4], 4);
        Put16(&packet[6], request);
        Put16(&packet[8], kControlPrivilegeRegister >> 16);
        Put16(&packet[10], kControlPrivilegeRegister & 0xffff);
        if (sendto(socket.fd(), packet.data(), packet.size(), 0,
                   reinterpret_cast<const sockaddr*>(&camera), sizeof camera) < 0) {
            return std::nullopt;
        }
        pollfd wait{socket.fd(), POLLIN, 0};
        while (poll(&wait, 1, kAnswerWaitMs) > 0) {
            std::array<uint8_t, 64> answer{};
            const ssize_t size = recv(socket.fd(), answer.data(), answer.size(), 0);
            // Status, acknowledge, length, request id, then the value.
            if (size < 12) continue;
            const uint16_t status = static_cast<uint16_t>(answer[0] << 8 | answer[1]);
            const uint16_t ack = static_cast<uint16_t>(answer[2] << 8 | answer[3]);
            const uint16_t id = static_cast<uint16_t>(answer[6] << 8 | answer[7]);
            if (ack != kReadRegisterAck || id != request) continue;
            if (status != 0) return std::nullopt;
            return (Get32(&answer[8]) & 0x3) != 0;
        }
    }
    return std::nullopt;
}

}  // namespace vantrel::genicam

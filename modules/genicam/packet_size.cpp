#include "genicam/packet_size.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <optional>

#include "genicam/access.h"

namespace vantrel::genicam {

namespace {

constexpr const char* kPacketSize = "GevSCPSPacketSize";

// The MTU of the interface that holds address, or nothing.
std::optional<int64_t> InterfaceMtu(GSocketAddress* address) {
    if (address == nullptr || !G_IS_INET_SOCKET_ADDRESS(address)) return std::nullopt;
    GInetAddress* inet = g_inet_socket_address_get_address(G_INET_SOCKET_ADDRESS(address));
    if (g_inet_address_get_family(inet) != G_SOCKET_FAMILY_IPV4) return std::nullopt;
    in_addr wanted{};
    std::memcpy(&wanted, g_inet_address_to_bytes(inet), sizeof(wanted));

    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return std::nullopt;
    std::optional<int64_t> mtu;
    for (const ifaddrs* entry = interfaces; entry != nullptr && !mtu; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        const auto* own = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (own->sin_addr.s_addr != wanted.s_addr) continue;
        const int probe = socket(AF_INET, SOCK_DGRAM, 0);
        if (probe < 0) break;
        ifreq request{};
        std::strncpy(request.ifr_name, entry->ifa_name, IFNAMSIZ - 1);
        if (ioctl(probe, SIOCGIFMTU, &request) == 0) mtu = request.ifr_mtu;
        close(probe);
    }
    freeifaddrs(interfaces);
    return mtu;
}

}  // namespace

void ChoosePacketSize(ArvCamera* camera, Settings& settings) {
    if (!arv_camera_is_gv_device(camera)) return;
    ArvDevice* device = arv_camera_get_device(camera);
    const std::optional<IntRange> accepted = Range(device, kPacketSize);
    if (!accepted) return;
    settings.Keep(kPacketSize);
    Error error;
    if (Has(device, "GevSCPSFireTestPacket")) {
        arv_camera_gv_auto_packet_size(camera, error.out());
        return;
    }
    // The packet size counts the IP and UDP headers, as the MTU does.
    const std::optional<int64_t> mtu =
        InterfaceMtu(arv_gv_device_get_interface_address(ARV_GV_DEVICE(device)));
    const std::optional<int64_t> current = Integer(device, kPacketSize);
    if (!mtu || !current) return;
    const int64_t largest = AlignDown(*mtu, *accepted);
    if (largest > *current) settings.SetInteger(kPacketSize, largest, &error);
}

}  // namespace vantrel::genicam

// Bakes the four reference pictures, RR, RT, LL and LT, into one raw block: what a perfectly
// aligned and focused camera sees of the scene at each position, dim, with a little sensor noise.
//
// Usage: bake_samples OUTPUT.raw
#include <cstdio>
#include <vector>

#include "sim/scene.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bake_samples OUTPUT.raw\n");
        return 2;
    }
    // Block order RR, RT, LL, LT; camera positions 0 right side, 2 right top, 1 left side, 3 left top.
    const int slots[4] = {0, 2, 1, 3};
    std::vector<uint8_t> block(4 * vantrel::sim::kPixels);
    for (int i = 0; i < 4; ++i) {
        std::span<uint8_t> picture(block.data() + i * vantrel::sim::kPixels, vantrel::sim::kPixels);
        if (!vantrel::sim::RenderReference(slots[i], picture)) return 1;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    const bool written = std::fwrite(block.data(), 1, block.size(), out) == block.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}

// A fuzz run without libFuzzer, for builds where clang's libFuzzer is not at
// hand (a cross build run under an emulator): the seed corpus, then random
// texts built from the pieces the decoder's paths turn on (ASCII runs of
// every length around the block sizes, well-formed two-, three- and four-byte
// sequences, C0 80, surrogates, stray and truncated bytes), each checked by
// the same target against the reference decoder. Deterministic for a seed.
// Usage: config_text_random_run CORPUS_DIR COUNT [SEED]
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

void append_piece(std::mt19937_64 &random, Bytes &text) {
    auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    switch (pick(9)) {
        case 0:
        case 1: {  // ASCII, NUL included, often across a 16- or 64-byte step
            const unsigned length = pick(4) == 0 ? 1 + pick(140) : 1 + pick(20);
            for (unsigned i = 0; i < length; ++i) {
                text.push_back(static_cast<uint8_t>(pick(0x80)));
            }
            break;
        }
        case 2:  // two bytes
            text.push_back(static_cast<uint8_t>(0xC2 + pick(30)));
            text.push_back(static_cast<uint8_t>(0x80 + pick(64)));
            break;
        case 3:  // three bytes, E0 and ED's ranges included
            text.push_back(static_cast<uint8_t>(0xE0 + pick(16)));
            text.push_back(static_cast<uint8_t>(0x80 + pick(64)));
            text.push_back(static_cast<uint8_t>(0x80 + pick(64)));
            break;
        case 4:  // four bytes
            text.push_back(static_cast<uint8_t>(0xF0 + pick(5)));
            text.push_back(static_cast<uint8_t>(0x80 + pick(64)));
            text.push_back(static_cast<uint8_t>(0x80 + pick(64)));
            text.push_back(static_cast<uint8_t>(0x80 + pick(64)));
            break;
        case 5:  // the JVM's NUL
            text.push_back(0xC0);
            text.push_back(0x80);
            break;
        case 6:  // a surrogate, as the JVM writes each half of a pair
            text.push_back(0xED);
            text.push_back(static_cast<uint8_t>(0xA0 + pick(32)));
            text.push_back(static_cast<uint8_t>(0x80 + pick(64)));
            break;
        case 7:  // one byte from the upper half: stray continuation, lone lead, C0, C1, F5..FF
            text.push_back(static_cast<uint8_t>(0x80 + pick(128)));
            break;
        default:  // a sequence cut short
            text.push_back(static_cast<uint8_t>(0xE0 + pick(21)));
            if (pick(2) == 0) {
                text.push_back(static_cast<uint8_t>(0x80 + pick(64)));
            }
            break;
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR COUNT [SEED]\n", argv[0]);
        return 2;
    }
    size_t seeds = 0;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1])) {
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(text.data(), text.size());
        ++seeds;
    }
    const long count = std::atol(argv[2]);
    std::mt19937_64 random(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20261208);
    Bytes text;
    for (long run = 0; run < count; ++run) {
        text.clear();
        const size_t pieces = random() % (run % 10 == 0 ? 400 : 40);
        for (size_t i = 0; i < pieces; ++i) {
            append_piece(random, text);
        }
        LLVMFuzzerTestOneInput(text.data(), text.size());
    }
    std::printf("config_text agrees with the reference on %zu seeds and %ld random texts\n", seeds, count);
    return 0;
}

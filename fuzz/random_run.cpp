// A fuzz run without libFuzzer, for builds where clang's libFuzzer is not at
// hand (a cross build run under an emulator): the seed corpus, then random
// texts built from the pieces the decoder's paths turn on (ASCII runs of
// every length around the block sizes, well-formed two-, three- and four-byte
// sequences, C0 80, surrogates, stray and truncated bytes), each checked by
// the same target against the reference decoder. Deterministic for a seed.
// The last line also gives a digest of everything the decoder said of every
// input, so that two builds of it (with and without vector units) can be
// shown to agree byte for byte.
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

#include "text/modified_utf8.h"

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

// FNV-1a over the decoder's every answer for a text: the units, the counts,
// the modified UTF-8 verdict and the cut it allows at each place.
class Digest {
public:
    void add(const Bytes &bytes) {
        const auto *text = reinterpret_cast<const char *>(bytes.data());
        const size_t length = bytes.size();
        std::vector<char16_t> units(olvan::utf16_length(text, length));
        mix(units.size());
        mix(olvan::decode_to_utf16(text, length, units.data()));
        for (char16_t unit : units) {
            mix(unit);
        }
        const bool modified = olvan::is_modified_utf8(text, length);
        mix(modified);
        if (modified) {
            mix(olvan::utf16_length_of_modified_utf8(text, length));
        }
        for (size_t at = 0; at <= length; ++at) {
            mix(olvan::decoding_boundary(text, length, at));
        }
    }
    uint64_t value() const { return hash_; }

private:
    void mix(uint64_t value) {
        for (int i = 0; i < 8; ++i, value >>= 8) {
            hash_ = (hash_ ^ (value & 0xFF)) * 0x100000001B3ULL;
        }
    }
    uint64_t hash_ = 0xCBF29CE484222325ULL;
};

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR COUNT [SEED]\n", argv[0]);
        return 2;
    }
    size_t seeds = 0;
    Digest digest;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1])) {
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(text.data(), text.size());
        digest.add(text);
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
        digest.add(text);
    }
    std::printf("config_text agrees with the reference on %zu seeds and %ld random texts; digest %016llx\n", seeds,
                count, static_cast<unsigned long long>(digest.value()));
    return 0;
}

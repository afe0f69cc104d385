// libFuzzer target for the configuration text decoder (text/modified_utf8.h).
//
// Each input is copied into a heap block of exactly its size, with no NUL
// after it, so AddressSanitizer reports any read past the end; the output
// buffer is also exactly as long as utf16_length says, so any write past it
// is reported too. The results must agree with the reference decoder of the
// decoder's tests (tests/text/reference_decoder.h).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "tests/text/reference_decoder.h"
#include "text/modified_utf8.h"

namespace {

[[noreturn]] void disagree(const char *what, size_t at, unsigned want, unsigned got) {
    std::fprintf(stderr, "config_text disagrees with the reference: %s at %zu: want %u, got %u\n", what, at, want,
                 got);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Exactly size bytes, nothing after them: ASan catches a read past the end.
    std::unique_ptr<char[]> text(new char[size]);
    if (size > 0) {
        std::memcpy(text.get(), data, size);
    }
    const olvan_test::ReferenceText want = olvan_test::reference_decode(data, size);

    const size_t units = olvan::utf16_length(text.get(), size);
    if (units != want.units.size()) {
        disagree("utf16_length", 0, static_cast<unsigned>(want.units.size()), static_cast<unsigned>(units));
    }
    std::unique_ptr<char16_t[]> out(new char16_t[units]);
    const size_t written = olvan::decode_to_utf16(text.get(), size, out.get());
    if (written != units) {
        disagree("units written", 0, static_cast<unsigned>(units), static_cast<unsigned>(written));
    }
    for (size_t k = 0; k < units; ++k) {
        if (out[k] != want.units[k]) {
            disagree("unit", k, want.units[k], out[k]);
        }
    }
    const bool modified = olvan::is_modified_utf8(text.get(), size);
    const bool want_modified = want.modified;
    if (modified != want_modified) {
        disagree("is_modified_utf8", 0, want_modified, modified);
    }
    if (modified && olvan::utf16_length_of_modified_utf8(text.get(), size) != units) {
        disagree("utf16_length_of_modified_utf8", 0, static_cast<unsigned>(units),
                 static_cast<unsigned>(olvan::utf16_length_of_modified_utf8(text.get(), size)));
    }
    return 0;
}

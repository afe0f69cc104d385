// The modified UTF-8 check works sixteen bytes at a time, carrying what a
// block's last bytes still owe into the next block, and on a NUL-terminated
// text a 16 KiB piece at a time. These tests put every kind of sequence across
// every block and piece boundary, after ASCII and after multi-byte text, and
// compare with a byte-at-a-time answer written out from the rules.
#include <algorithm>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/text/hex.h"
#include "text/modified_utf8.h"

namespace {

using olvan_test::hex;
using olvan::is_modified_utf8;
using olvan::measure_ascii;

bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Valid modified UTF-8: ASCII, C0 80, two- and three-byte sequences (no
// overlongs, surrogates allowed); nothing of four bytes, nothing ill-formed.
bool modified_by_the_rules(const std::string &text) {
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            i += 1;
        } else if (lead == 0xC0) {
            if (i + 1 >= n || p[i + 1] != 0x80) return false;
            i += 2;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            if (i + 1 >= n || !continuation(p[i + 1])) return false;
            i += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            if (i + 2 >= n || !continuation(p[i + 1]) || !continuation(p[i + 2])) return false;
            if (lead == 0xE0 && p[i + 1] < 0xA0) return false;
            i += 3;
        } else {
            return false;  // stray continuation, C1, or a lead of four bytes or more
        }
    }
    return true;
}

// Sequences whose bytes the wide check reads by value or by class; some
// valid, some not, several cut short.
const char *const kInserts[] = {
    "\xC0\x80",          // modified NUL
    "\xC2\x80", "\xDF\xBF",
    "\xE0\xA0\x80",      // smallest three-byte
    "\xED\xA0\x80",      // a surrogate, allowed in the modified form
    "\xE1\x80\x80", "\xEF\xBF\xBF",
    "\xC0\x41", "\xC0", "\xC1\x80",
    "\xE0\x9F\x80",      // overlong
    "\xE0\xA0", "\xE2\x82", "\xC3",
    "\xF0\x9F\x98\x80",  // four bytes: never modified
    "\xF4\x8F\xBF\xBF", "\xF5\x80\x80\x80", "\xFF", "\x80", "\xBF\xBF",
};

// Backgrounds that send blocks down each path: ASCII (the wide skip), two-
// and three-byte text (the classification), and a mix.
const char *const kBackgrounds[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "ab\xC3\xA9\xE6\x97\xA5z"};

std::string background(const char *unit, size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
        text += unit;
    }
    // Whole units only, so the background itself stays valid.
    while (text.size() > bytes) {
        text.resize(text.size() - std::string(unit).size());
    }
    return text;
}

TEST(ConfigTextWideCheck, EverySequenceAcrossEveryBlockBoundary) {
    size_t checked = 0, modified = 0;
    for (const char *unit : kBackgrounds) {
        for (const char *insert : kInserts) {
            for (size_t before = 0; before <= 50; ++before) {
                for (size_t after : {size_t(0), size_t(1), size_t(2), size_t(15), size_t(33)}) {
                    const std::string text = background(unit, before) + insert + background(unit, after);
                    const bool want = modified_by_the_rules(text);
                    ASSERT_EQ(is_modified_utf8(text.data(), text.size()), want) << hex(text);
                    ++checked;
                    modified += want ? 1 : 0;
                }
            }
        }
    }
    // Both answers must have come up often, or the cases test little.
    EXPECT_GT(modified, checked / 5);
    EXPECT_LT(modified, checked * 4 / 5);
}

TEST(ConfigTextWideCheck, OneBadByteAnywhereInALongTextIsFound) {
    const std::string good = background("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC ok ", 4096);
    ASSERT_TRUE(is_modified_utf8(good.data(), good.size()));
    for (size_t at = 0; at < good.size(); ++at) {
        std::string bad = good;
        bad[at] = static_cast<char>(0xFF);
        ASSERT_FALSE(is_modified_utf8(bad.data(), bad.size())) << "0xFF at " << at;
    }
}

TEST(ConfigTextWideCheck, TextCutShortAtEveryLengthEndsOnlyWhereASequenceEnds) {
    const std::string text = background("x\xC3\xA9y\xE2\x82\xACz\xC0\x80", 200);
    std::vector<bool> ends(text.size() + 1, false);
    for (size_t length = 0; length <= text.size(); ++length) {
        const std::string prefix = text.substr(0, length);
        const bool got = is_modified_utf8(prefix.data(), prefix.size());
        ASSERT_EQ(got, modified_by_the_rules(prefix)) << "length " << length;
        ends[length] = got;
    }
    // Ten bytes a unit: x, e acute, y, euro sign, z, modified NUL.
    EXPECT_TRUE(ends[10]);
    EXPECT_TRUE(ends[17]);
    EXPECT_FALSE(ends[15]);  // inside the second unit's euro sign
    EXPECT_FALSE(ends[19]);  // between C0 and 80
}

TEST(ConfigTextWideCheck, MeasuringAgreesAcrossPieceBoundaries) {
    constexpr size_t kPiece = 16 << 10;  // the piece measure_ascii works in
    size_t checked = 0;
    for (const char *unit : {"a", "\xE2\x82\xAC"}) {
        for (const char *insert : kInserts) {
            for (size_t lead_in : {kPiece - 4, kPiece - 3, kPiece - 2, kPiece - 1, kPiece, kPiece + 1,
                                   2 * kPiece - 2}) {
                for (size_t tail : {size_t(0), size_t(1), size_t(5), kPiece + 7}) {
                    std::string text = background(unit, lead_in);
                    text.append(lead_in - text.size(), 'x');  // exactly lead_in bytes
                    text += insert;
                    text += background(unit, tail);
                    size_t length = 12345;
                    const bool got = measure_ascii(text.c_str(), &length);
                    const bool ascii = std::none_of(text.begin(), text.end(), [](char c) { return c & 0x80; });
                    ASSERT_EQ(length, text.size()) << "insert " << hex(insert) << " after " << lead_in;
                    ASSERT_EQ(got, ascii) << "insert " << hex(insert) << " after " << lead_in;
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 1000u);
}

TEST(ConfigTextWideCheck, MeasuringGoesOnToTheEndAfterTheAnswerIsKnown) {
    std::string text = "\xC3\xA9" + background("abc", 100000);  // not ASCII from the first byte on
    size_t length = 0;
    EXPECT_FALSE(measure_ascii(text.c_str(), &length));
    EXPECT_EQ(length, text.size());
    text = background("abc", 100000);
    EXPECT_TRUE(measure_ascii(text.c_str(), &length));
    EXPECT_EQ(length, text.size());
    EXPECT_TRUE(measure_ascii("", &length));
    EXPECT_EQ(length, 0u);
}

}  // namespace

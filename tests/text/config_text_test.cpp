// The configuration text decoder: what each byte sequence becomes, when the
// JVM's own decoder may be used instead, and agreement with a slow reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/text/hex.h"
#include "tests/text/reference_decoder.h"
#include "text/modified_utf8.h"

namespace {

using olvan_test::hex;
using olvan_test::reference_decode;
using olvan_test::ReferenceText;
using olvan::decode_to_utf16;
using olvan::decoding_boundary;
using olvan::is_modified_utf8;
using olvan::utf16_length_of_modified_utf8;
using olvan::utf16_length;

// Decodes through the code under test into a buffer of exactly the announced
// size plus a guard, so that an overrun or a count mismatch shows. Text that
// is_modified_utf8 accepts is counted the quick way too.
std::u16string decode(const std::string &bytes) {
    constexpr char16_t kGuard = 0xA5A5;
    const size_t units = utf16_length(bytes.data(), bytes.size());
    std::vector<char16_t> buffer(units + 4, kGuard);
    const size_t written = decode_to_utf16(bytes.data(), bytes.size(), buffer.data());
    EXPECT_EQ(written, units) << "utf16_length disagrees with decode_to_utf16 for " << hex(bytes);
    for (size_t i = units; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], kGuard) << "decode_to_utf16 wrote past its announced length for " << hex(bytes);
    }
    const std::u16string result(buffer.data(), written < units ? written : units);
    if (is_modified_utf8(bytes.data(), bytes.size())) {
        EXPECT_EQ(utf16_length_of_modified_utf8(bytes.data(), bytes.size()), units) << hex(bytes);
    }
    return result;
}

struct Case {
    const char *what;
    std::string bytes;
    std::u16string units;
    bool modified;
};

const Case kCases[] = {
    {"empty", "", u"", true},
    {"two-byte, lowest", "\xC2\x80", u"\u0080", true},
    {"two-byte, highest", "\xDF\xBF", u"\u07FF", true},
    {"three-byte, lowest", "\xE0\xA0\x80", u"\u0800", true},
    {"three-byte, E1", "\xE1\x80\x80", u"\u1000", true},
    {"three-byte, highest", "\xEF\xBF\xBF", u"\uFFFF", true},
    {"U+FFFD itself is text", "\xEF\xBF\xBD", u"\uFFFD", true},
    {"C0 80 is NUL", "a\xC0\x80z", std::u16string(u"a\0z", 3), true},
    {"encoded high surrogate alone", "\xED\xA0\x80", std::u16string(1, char16_t(0xD800)), true},
    {"encoded low surrogate alone", "\xED\xB0\x80", std::u16string(1, char16_t(0xDC00)), true},
    {"encoded pair", "\xED\xA0\xBD\xED\xB8\x80", u"\U0001F600", true},
    {"encoded pair reversed", "\xED\xB8\x80\xED\xA0\xBD",
     std::u16string({char16_t(0xDE00), char16_t(0xD83D)}), true},
    {"four-byte, lowest", "\xF0\x90\x80\x80", u"\U00010000", false},
    {"four-byte, emoji", "emoji \xF0\x9F\x98\x80 end", u"emoji \U0001F600 end", false},
    {"four-byte, highest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", false},
    {"stray continuation", "a\x80z", u"a\uFFFDz", false},
    {"two stray continuations", "\x80\xBF", u"\uFFFD\uFFFD", false},
    {"C0 before anything but 80", "\xC0\x41", u"\uFFFDA", false},
    {"C0 81 is an overlong", "\xC0\x81", u"\uFFFD\uFFFD", false},
    {"C0 at the end", "a\xC0", u"a\uFFFD", false},
    {"C1", "\xC1\xBF", u"\uFFFD\uFFFD", false},
    {"F5", "\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
    {"FF", "\xFF", u"\uFFFD", false},
    {"five-byte form", "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", false},
    {"overlong three-byte", "\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD", false},
    {"overlong three-byte, highest", "\xE0\x9F\xBF", u"\uFFFD\uFFFD\uFFFD", false},
    {"overlong four-byte", "\xF0\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
    {"overlong four-byte, highest", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
    {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
    {"two-byte cut at the end", "a\xC2", u"a\uFFFD", false},
    {"three-byte cut at the end", "a\xE1\x80", u"a\uFFFD", false},
    {"four-byte cut at the end", "a\xF0\x9F\x98", u"a\uFFFD", false},
    {"two-byte cut in the middle", "\xC2z", u"\uFFFDz", false},
    {"three-byte cut in the middle", "\xE1\x80z", u"\uFFFDz", false},
    {"four-byte cut after three", "\xF0\x9F\x98z", u"\uFFFDz", false},
    {"four-byte cut after two", "\xF0\x9Fz", u"\uFFFDz", false},
    {"a cut sequence then a whole one", "\xE1\x80\xE1\x80\x80", u"\uFFFD\u1000", false},
    {"a cut sequence then C0 80", "\xE1\xC0\x80", std::u16string(u"\uFFFD\0", 2), false},
    {"a cut sequence then a four-byte one", "\xF0\x9F\xF0\x9F\x98\x80", u"\uFFFD\U0001F600", false},
    // The example the Unicode Standard gives for maximal subparts.
    {"maximal subparts", "a\xF1\x80\x80\xE1\x80\xC2" "b\x80" "c\x80\xBF" "d",
     u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd", false},
};

TEST(ConfigTextDecoding, EachKindOfSequence) {
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        const std::u16string got = decode(c.bytes);
        EXPECT_EQ(got, c.units) << "got " << hex(got) << " want " << hex(c.units);
        EXPECT_EQ(is_modified_utf8(c.bytes.data(), c.bytes.size()), c.modified);
    }
}

TEST(ConfigTextDecoding, AsciiOfEveryLengthAroundTheWideSteps) {
    for (size_t length = 0; length <= 40; ++length) {
        std::string text;
        std::u16string want;
        for (size_t i = 0; i < length; ++i) {
            const char c = static_cast<char>(1 + (i * 37) % 127);  // 01..7F, NUL excluded
            text.push_back(c);
            want.push_back(static_cast<char16_t>(c));
        }
        SCOPED_TRACE(length);
        EXPECT_TRUE(is_modified_utf8(text.data(), text.size()));
        EXPECT_EQ(decode(text), want);
    }
}

// A non-ASCII sequence at every offset of an ASCII run: the wide step must
// stop exactly there, whatever the alignment, and pick up again after it.
TEST(ConfigTextDecoding, SequencesAtEveryOffsetOfAnAsciiRun) {
    const struct {
        std::string bytes;
        std::u16string units;
        bool modified;
    } inserts[] = {
        {"\xC3\xA9", u"\u00E9", true},
        {"\xE2\x82\xAC", u"\u20AC", true},
        {"\xC0\x80", std::u16string(1, char16_t(0)), true},
        {"\xF0\x9F\x98\x80", u"\U0001F600", false},
        {"\xFF", u"\uFFFD", false},
        {"\x80", u"\uFFFD", false},
    };
    for (const auto &insert : inserts) {
        for (size_t before = 0; before <= 40; ++before) {
            for (size_t after : {size_t(0), size_t(1), size_t(7), size_t(8), size_t(17)}) {
                const std::string text = std::string(before, 'a') + insert.bytes + std::string(after, 'b');
                const std::u16string want =
                    std::u16string(before, u'a') + insert.units + std::u16string(after, u'b');
                SCOPED_TRACE(hex(text));
                EXPECT_EQ(decode(text), want);
                EXPECT_EQ(is_modified_utf8(text.data(), text.size()), insert.modified);
            }
        }
    }
}

// Only the first `length` bytes count: a sequence must not be completed from
// bytes past the end, and the wide step must not read them as text.
TEST(ConfigTextDecoding, StopsAtTheGivenLength) {
    const std::string buffer = "abcdefg\xE2\x82\xAC" "abcdefghijklmnop";
    EXPECT_EQ(decode(buffer.substr(0, 8)), u"abcdefg\uFFFD");
    EXPECT_EQ(decode(buffer.substr(0, 9)), u"abcdefg\uFFFD");
    EXPECT_EQ(decode(buffer.substr(0, 10)), u"abcdefg\u20AC");
    // Same bytes, same storage, shorter length.
    std::u16string out(16, u'?');
    EXPECT_EQ(decode_to_utf16(buffer.data(), 9, &out[0]), 8u);
    EXPECT_EQ(out.substr(0, 8), u"abcdefg\uFFFD");
    EXPECT_EQ(utf16_length(buffer.data(), 9), 8u);
    EXPECT_FALSE(is_modified_utf8(buffer.data(), 9));
    EXPECT_TRUE(is_modified_utf8(buffer.data(), 10));
    EXPECT_TRUE(is_modified_utf8(buffer.data(), 7));
}

TEST(ConfigTextDecoding, ReferenceDecoderAgreesWithTheFixedCases) {
    // Guards the reference itself, so that agreement below means something.
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        const ReferenceText r = reference_decode(c.bytes);
        EXPECT_EQ(r.units, c.units) << "reference gave " << hex(r.units);
        EXPECT_EQ(r.modified, c.modified);
    }
}

// Standard UTF-8 for a code point, except that U+0000 is C0 80 and
// surrogates are encoded alone, as the modified form does.
void append_encoded(std::string &out, uint32_t cp) {
    if (cp == 0) {
        out += "\xC0\x80";
    } else if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Random text drawn mostly from the bytes where the rules change, with ASCII
// runs of every length between them so that wide and narrow steps mix.
TEST(ConfigTextDecoding, AgreesWithTheReferenceOnRandomText) {
    const unsigned char edges[] = {'x', 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBD, 0xBF, 0xC0, 0xC1, 0xC2,
                                   0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5,
                                   0xF7, 0xF8, 0xFE, 0xFF};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> pick(0, sizeof edges - 1);
    std::uniform_int_distribution<int> any_byte(1, 255);
    std::uniform_int_distribution<int> run(0, 19);
    std::uniform_int_distribution<int> choice(0, 9);
    // Mostly below U+10000, so that whole modified texts stay common.
    std::uniform_int_distribution<uint32_t> code_point(0, 0x12000);
    size_t modified = 0, not_modified = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int pieces = 1 + round % 12;
        // Every third text is built from whole sequences only.
        const bool whole = round % 3 == 0;
        for (int piece = 0; piece < pieces; ++piece) {
            const int kind = whole ? choice(random) % 4 : choice(random);
            if (kind < 2) {
                text.append(static_cast<size_t>(run(random)), static_cast<char>('A' + piece));
            } else if (kind < 4) {
                append_encoded(text, code_point(random));
            } else if (kind < 5) {
                text.push_back(static_cast<char>(any_byte(random)));
            } else if (kind < 7) {
                // A lead followed by plausible continuations: builds valid and
                // nearly valid sequences far more often than uniform bytes.
                text.push_back(static_cast<char>(edges[pick(random)]));
                for (int k = choice(random) % 4; k > 0; --k) {
                    text.push_back(static_cast<char>(0x80 + any_byte(random) % 0x40));
                }
            } else {
                text.push_back(static_cast<char>(edges[pick(random)]));
            }
        }
        const ReferenceText want = reference_decode(text);
        const std::u16string got = decode(text);
        ASSERT_EQ(got, want.units) << "input " << hex(text) << "\ngot  " << hex(got) << "\nwant " << hex(want.units);
        ASSERT_EQ(is_modified_utf8(text.data(), text.size()), want.modified) << "input " << hex(text);
        (want.modified ? modified : not_modified) += 1;
    }
    // Both sides of the fast-path decision must have been exercised a lot.
    EXPECT_GT(modified, 2000u);
    EXPECT_GT(not_modified, 2000u);
}

// Large text is decoded a chunk at a time: a cut must never change the result.
TEST(ConfigTextDecoding, CutsAtDecodingBoundariesChangeNothing) {
    const std::string texts[] = {
        "ab\xF0\x9F\x98\x80" "cd\xE2\x82\xAC\xC3\xA9\xC0\x80\xED\xA0\x80\xED\xB0\x80",
        "\xE1\x80\x80\x80\x80\x80\x80\xF0\x9F\x98\x80\x80\x80",  // long runs of continuations
        "\xF0\x9F\x98" "\xF0\x9F" "\xE1\x80" "\xFF\xC0\xC1\xF4\x90\x80\x80",
        "\x80\x80\x80\x80\x80\x80",
    };
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any_byte(0x01, 0xFF);
    std::vector<std::string> inputs(std::begin(texts), std::end(texts));
    for (int i = 0; i < 300; ++i) {
        std::string text;
        for (int k = 0; k < 40; ++k) {
            text.push_back(static_cast<char>(any_byte(random) | (k % 3 == 0 ? 0x80 : 0)));
        }
        inputs.push_back(text);
    }
    for (const std::string &text : inputs) {
        const std::u16string whole = decode(text);
        for (size_t at = 0; at <= text.size() + 2; ++at) {
            const size_t cut = decoding_boundary(text.data(), text.size(), at);
            SCOPED_TRACE(hex(text) + " at " + std::to_string(at));
            ASSERT_LE(cut, std::min(at, text.size()));
            if (at >= 4 && at <= text.size()) {
                ASSERT_GT(cut + 4, at) << "cut too far back";
            }
            ASSERT_EQ(decode(text.substr(0, cut)) + decode(text.substr(cut)), whole) << "cut at " << cut;
        }
    }
}

TEST(ConfigTextDecoding, EveryTwoAndThreeByteInputAgreesWithTheReference) {
    // Exhaustive over short inputs: every lead meets every second byte.
    std::string text(2, '\0');
    for (int a = 1; a < 256; ++a) {
        for (int b = 1; b < 256; ++b) {
            text[0] = static_cast<char>(a);
            text[1] = static_cast<char>(b);
            const ReferenceText want = reference_decode(text);
            ASSERT_EQ(decode(text), want.units) << hex(text);
            ASSERT_EQ(is_modified_utf8(text.data(), text.size()), want.modified) << hex(text);
            for (int c : {0x41, 0x80, 0x8F, 0x90, 0xBF, 0xC0, 0xE1, 0xF0}) {
                const std::string three = text + static_cast<char>(c);
                const ReferenceText want3 = reference_decode(three);
                ASSERT_EQ(decode(three), want3.units) << hex(three);
                ASSERT_EQ(is_modified_utf8(three.data(), three.size()), want3.modified) << hex(three);
            }
        }
    }
}

}  // namespace

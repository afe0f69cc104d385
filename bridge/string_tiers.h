// Where the JNI side of strings changes its way, each value chosen by the
// figures in docs/performance.md, "The string tiers". The Java tests take
// these same numbers (tests/CMakeLists.txt writes them into StringTiers), so
// that a tier moved here is still tested on both sides of its edge.
#ifndef OLVAN_BRIDGE_STRING_TIERS_H
#define OLVAN_BRIDGE_STRING_TIERS_H

#include <cstddef>

namespace olvan::tiers {

// Java string to middleware string: from this many chars on the text is taken
// from String.getBytes, below it GetStringUTFChars costs less than the
// look-ups the longer way makes.
constexpr int kGetBytesFromChars = 2048;
// The chars looked at first: a string whose first chars are not all ASCII
// goes straight to GetStringUTFChars.
constexpr int kAsciiSampleChars = 64;

// Service text to Java string: ASCII text from this many bytes on reaches
// Java as a byte[]; below it NewStringUTF costs less than the array and the
// constructor's look-ups.
constexpr size_t kByteArrayFromBytes = 2048;
// Text that is not ASCII, up to this many bytes, is decoded into a native
// chunk of one UTF-16 unit a byte and handed to NewString.
constexpr size_t kNativeChunkUpToBytes = 16u << 10;
// Larger text, up to this many bytes, is decoded into a Java char[] of one
// unit a byte without counting its units first.
constexpr size_t kUncountedUpToBytes = 32u << 20;

// Both ways: the most bytes of text one critical region reads or writes, so
// that none holds off the collector for long.
constexpr size_t kCriticalRegionBytes = 1u << 20;

}  // namespace olvan::tiers

#endif

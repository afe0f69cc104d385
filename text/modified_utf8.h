// The modified UTF-8 codec: UTF-8 as the JVM writes it, and as the service's
// configuration text may hold it, checked, measured and decoded to UTF-16.
//
// The service writes UTF-8, but it may also use the JVM's modified forms (C0 80
// for NUL, surrogates encoded one by one in three bytes). NewStringUTF accepts
// only modified UTF-8 and mangles four-byte sequences, so text that holds any
// is decoded here instead, into UTF-16. Bytes that form no valid sequence each
// become U+FFFD, one per maximal ill-formed subpart.
#ifndef OLVAN_TEXT_MODIFIED_UTF8_H
#define OLVAN_TEXT_MODIFIED_UTF8_H

#include <cstddef>
#include <cstdint>

namespace olvan {

// True when the text is valid modified UTF-8 (one- to three-byte sequences
// only), which the JVM decodes exactly as decode_to_utf16 would.
bool is_modified_utf8(const char *text, size_t length);

// Whether the NUL-terminated text is all ASCII; sets *length to its length.
// One pass over memory: the text is measured and checked a cache-sized piece
// at a time, so a text larger than the caches is read from memory once.
bool measure_ascii(const char *text, size_t *length);

// The number of UTF-16 units that decode_to_utf16 produces for the text.
size_t utf16_length(const char *text, size_t length);

// Decodes the text into out, which holds utf16_length(text, length) units;
// returns the number written.
size_t decode_to_utf16(const char *text, size_t length, char16_t *out);

// utf16_length for text that is_modified_utf8 accepts, several times faster:
// it counts the bytes that begin a sequence, sixteen at a time.
size_t utf16_length_of_modified_utf8(const char *text, size_t length);

// A place at or a few bytes before `at` where the text may be cut without
// changing its decoding: decoding the two parts one after the other gives
// what decoding the whole gives. Greater than at - 4, so positive when
// at >= 4. An `at` past the end is the end: a caller cutting a text into
// pieces of a fixed size asks for that size whatever remains.
size_t decoding_boundary(const char *text, size_t length, size_t at);

}  // namespace olvan

#endif

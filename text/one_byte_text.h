// Copying text made of one byte a character (a Java string's chars as
// String.getBytes(ISO_8859_1) gives them) and finding, in the same pass, the
// bytes that keep it from being the string's modified UTF-8 as it stands.
#ifndef OLVAN_TEXT_ONE_BYTE_TEXT_H
#define OLVAN_TEXT_ONE_BYTE_TEXT_H

#include <cstddef>

namespace olvan {

// Where the '?' are: getBytes writes one for a char it cannot give, so each
// must be looked up in the string. Past kMarksNoted only their being there is
// noted.
struct QuestionMarks {
    static constexpr int kMarksNoted = 64;
    size_t at[kMarksNoted];
    int count = 0;
    bool more = false;
};

// Copies length bytes from in to out. False at the first NUL or byte from
// 80 on (a char that takes more than one byte), where the copy stops.
// offset is where in lies in the whole text, for the marks' places.
bool copy_one_byte_text(const char *in, size_t length, char *out, size_t offset, QuestionMarks *marks);

}  // namespace olvan

#endif

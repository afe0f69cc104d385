#include "bridge/java_string.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "bridge/heap_block.h"
#include "bridge/raise.h"
#include "bridge/scoped_local_ref.h"
#include "bridge/scoped_utf_chars.h"
#include "bridge/string_tiers.h"
#include "text/modified_utf8.h"
#include "text/one_byte_text.h"

namespace olvan {

using namespace tiers;

// Java string to middleware string.
namespace {

// Whether the first chars are all ASCII other than NUL.
bool starts_as_plain_ascii(JNIEnv *env, jstring string, jsize chars) {
    jchar sample[kAsciiSampleChars];
    const jsize count = chars < kAsciiSampleChars ? chars : kAsciiSampleChars;
    env->GetStringRegion(string, 0, count, sample);
    for (jsize i = 0; i < count; ++i) {
        if (sample[i] == 0 || sample[i] >= 0x80) {
            return false;
        }
    }
    return true;
}

enum class Encoded { Copied, Differs, Failed };

// Copies the array into text and checks it is one byte a char from U+0001
// to U+007F, in one pass, a critical region a piece.
Encoded copy_checked(JNIEnv *env, jbyteArray bytes, jsize length, char *text, QuestionMarks *marks) {
    constexpr jsize kPiece = static_cast<jsize>(kCriticalRegionBytes);
    for (jsize done = 0; done < length;) {
        const jsize piece = length - done < kPiece ? length - done : kPiece;
        auto *array = static_cast<const char *>(env->GetPrimitiveArrayCritical(bytes, nullptr));
        if (array == nullptr) {
            return Encoded::Failed;
        }
        const bool plain = copy_one_byte_text(array + done, static_cast<size_t>(piece), text + done,
                                              static_cast<size_t>(done), marks);
        env->ReleasePrimitiveArrayCritical(bytes, const_cast<char *>(array), JNI_ABORT);
        if (!plain) {
            return Encoded::Differs;
        }
        done += piece;
    }
    return Encoded::Copied;
}

// Whether every '?' getBytes wrote is a '?' in the string.
bool marks_are_question_marks(JNIEnv *env, jstring string, jsize length, const QuestionMarks &marks) {
    if (marks.more) {
        // A byte a char in both forms: every char is U+0001 to U+007F.
        return env->GetStringUTFLength(string) == length;
    }
    for (int i = 0; i < marks.count; ++i) {
        jchar unit = 0;
        env->GetStringRegion(string, static_cast<jsize>(marks.at[i]), 1, &unit);
        if (unit != u'?') {
            return false;
        }
    }
    return true;
}

// A middleware copy of a long string of ASCII chars, from its bytes as Java
// gives them: one array copy for a string Java holds a byte a char, where the
// JVM's conversion goes a char at a time.
Encoded copy_encoded_in_java(JNIEnv *env, jstring string, jsize chars, DdsString *copy) {
    if (!starts_as_plain_ascii(env, string, chars)) {
        return Encoded::Differs;
    }
    ScopedLocalRef<jclass> charsets(env, env->FindClass("java/nio/charset/StandardCharsets"));
    if (!charsets) {
        return Encoded::Failed;
    }
    const jfieldID latin1_field =
        env->GetStaticFieldID(charsets.get(), "ISO_8859_1", "Ljava/nio/charset/Charset;");
    if (latin1_field == nullptr) {
        return Encoded::Failed;
    }
    ScopedLocalRef<jobject> latin1(env, env->GetStaticObjectField(charsets.get(), latin1_field));
    ScopedLocalRef<jclass> string_class(env, env->GetObjectClass(string));
    if (!latin1 || !string_class) {
        return Encoded::Failed;
    }
    const jmethodID get_bytes = env->GetMethodID(string_class.get(), "getBytes", "(Ljava/nio/charset/Charset;)[B");
    if (get_bytes == nullptr) {
        return Encoded::Failed;
    }
    ScopedLocalRef<jbyteArray> bytes(env,
                                     static_cast<jbyteArray>(env->CallObjectMethod(string, get_bytes, latin1.get())));
    if (env->ExceptionCheck() || !bytes) {
        return Encoded::Failed;
    }
    const jsize length = env->GetArrayLength(bytes.get());
    if (length != chars) {
        return Encoded::Differs;  // a surrogate pair became one '?'
    }
    // The middleware makes its strings only by copying a NUL-terminated text.
    HeapBlock<char> text(static_cast<char *>(std::malloc(static_cast<size_t>(length) + 1)));
    if (!text) {
        return Encoded::Failed;
    }
    QuestionMarks marks;
    const Encoded copied = copy_checked(env, bytes.get(), length, text.get(), &marks);
    if (copied != Encoded::Copied) {
        return copied;
    }
    text.get()[length] = '\0';
    if (!marks_are_question_marks(env, string, length, marks)) {
        return Encoded::Differs;
    }
    copy->reset(DDS_String_dup(text.get()));
    return *copy ? Encoded::Copied : Encoded::Failed;
}

}  // namespace

DdsString dup_java_string(JNIEnv *env, jstring string) {
    const jsize length = env->GetStringLength(string);
    // Longer strings' modified UTF-8 may pass 2^31 - 1 bytes, where
    // GetStringUTFLength no longer counts it: they take the JVM's own
    // conversion, which is checked for being cut short.
    if (length >= kGetBytesFromChars && length <= kCharsNeverCutShort) {
        DdsString copy;
        if (copy_encoded_in_java(env, string, length, &copy) == Encoded::Copied) {
            return copy;
        }
        // Text that is not all ASCII, or a Java heap too full for the bytes:
        // the JVM's own conversion.
        env->ExceptionClear();
    }
    ScopedUtfChars chars(env, string, length);
    DdsString copy(chars ? DDS_String_dup(chars.c_str()) : nullptr);
    if (!copy) {
        raise_out_of_memory(env);  // in place of the JVM's error, if it left one
    }
    return copy;
}

// Service text to Java string.
namespace {

// String's constructor with this signature applied to the arguments; String
// is looked up on every call. Null with the JVM's error pending if it failed.
template <typename... Arguments>
jstring construct_string(JNIEnv *env, const char *signature, Arguments... arguments) {
    ScopedLocalRef<jclass> string_class(env, env->FindClass("java/lang/String"));
    if (!string_class) {
        return nullptr;
    }
    const jmethodID constructor = env->GetMethodID(string_class.get(), "<init>", signature);
    if (constructor == nullptr) {
        return nullptr;
    }
    return static_cast<jstring>(env->NewObject(string_class.get(), constructor, arguments...));
}

// A string of the length ASCII characters at text, through a byte[] and
// String(byte[], 0): one byte a character, copied whole. length must be at
// most INT_MAX.
jstring string_from_ascii(JNIEnv *env, const char *text, size_t length) {
    const auto size = static_cast<jsize>(length);
    ScopedLocalRef<jbyteArray> bytes(env, env->NewByteArray(size));
    if (!bytes) {
        return nullptr;  // the JVM's OutOfMemoryError is pending
    }
    env->SetByteArrayRegion(bytes.get(), 0, size, reinterpret_cast<const jbyte *>(text));
    // String(byte[] ascii, int hibyte) with hibyte 0 takes each byte as the
    // character of that value, one byte a character in the string: a single
    // array copy, compiled or not (a charset's decoder scans the bytes first,
    // in a loop that runs interpreted until the JIT has compiled it).
    return construct_string(env, "([BI)V", bytes.get(), jint{0});
}

static_assert(sizeof(jchar) == sizeof(char16_t), "jchar is a UTF-16 unit");

// Text of one chunk at most: NewString straight from the chunk.
jstring string_from_chunk(JNIEnv *env, const char *text, size_t length, char16_t *chunk) {
    const size_t units = decode_to_utf16(text, length, chunk);
    return env->NewString(reinterpret_cast<const jchar *>(chunk), static_cast<jsize>(units));
}

// Larger text is decoded straight into a Java char[], which String(char[],
// int, int) then takes over: the JVM's compiled copy into the string, where
// NewString copies one character at a time (twice as slowly again on JDK 25).
// The array holds capacity units, at least as many as the text decodes to.
// It is written a piece at a time, each inside a critical region of its own,
// so that no region holds off the collector for long.
jstring string_from_pieces(JNIEnv *env, const char *text, size_t length, size_t capacity) {
    ScopedLocalRef<jcharArray> chars(env, env->NewCharArray(static_cast<jsize>(capacity)));
    if (!chars) {
        return nullptr;  // the JVM's OutOfMemoryError is pending
    }
    size_t done = 0;
    jsize filled = 0;
    while (done < length) {
        const size_t next = done + decoding_boundary(text + done, length - done, kCriticalRegionBytes);
        auto *array = static_cast<jchar *>(env->GetPrimitiveArrayCritical(chars.get(), nullptr));
        if (array == nullptr) {
            if (!env->ExceptionCheck()) {
                raise_out_of_memory(env);
            }
            return nullptr;
        }
        const size_t count = decode_to_utf16(text + done, next - done, reinterpret_cast<char16_t *>(array + filled));
        env->ReleasePrimitiveArrayCritical(chars.get(), array, 0);
        filled += static_cast<jsize>(count);
        done = next;
    }
    return construct_string(env, "([CII)V", chars.get(), jint{0}, jint{filled});
}

// Text that is not ASCII: decoded to UTF-16 here.
jstring decoded_string(JNIEnv *env, const char *text, size_t length) {
    // No native buffer the size of a larger text is ever made: one that large
    // would be fresh memory on most calls, faulted in page by page. The text
    // is not ASCII, so not empty; it decodes to no more units than it has bytes.
    if (length <= kNativeChunkUpToBytes) {
        HeapBlock<char16_t> chunk(static_cast<char16_t *>(std::malloc(length * sizeof(char16_t))));
        if (!chunk) {
            raise_out_of_memory(env);
            return nullptr;
        }
        return string_from_chunk(env, text, length, chunk.get());
    }
    // No text decodes to more units than it has bytes: up to a size, an
    // array of one unit a byte saves counting them first (a pass over the
    // text); beyond it the count keeps the array from being up to three
    // times the string for text of long sequences.
    if (length <= kUncountedUpToBytes) {
        return string_from_pieces(env, text, length, length);
    }
    // Valid modified UTF-8 (most text that is not ASCII) is checked and
    // counted sixteen bytes at a time, in about a third of the general count.
    const size_t units =
        is_modified_utf8(text, length) ? utf16_length_of_modified_utf8(text, length) : utf16_length(text, length);
    if (units > static_cast<size_t>(INT_MAX)) {
        raise_out_of_memory(env);
        return nullptr;
    }
    return string_from_pieces(env, text, length, units);
}

}  // namespace

jstring java_string_from_service_text(JNIEnv *env, const char *text) {
    size_t length = 0;
    const bool ascii = measure_ascii(text, &length);
    // ASCII is one byte a character in a Java string; from the first other
    // byte on, NewStringUTF converts a character at a time, slower than
    // decoding here and handing the JVM UTF-16 (which gives the same string
    // for valid modified UTF-8). Java counts a string's characters in an int.
    // Either call returns null with the JVM's error pending if it failed.
    if (ascii && length < kByteArrayFromBytes) {
        return env->NewStringUTF(text);
    }
    if (ascii && length <= static_cast<size_t>(INT_MAX)) {
        return string_from_ascii(env, text, length);
    }
    return decoded_string(env, text, length);
}

}  // namespace olvan

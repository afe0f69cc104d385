#include "bridge/java_string.h"

#include <cstdlib>
#include <cstring>

#include "bridge/heap_block.h"
#include "bridge/one_byte_text.h"
#include "bridge/raise.h"
#include "bridge/scoped_local_ref.h"
#include "bridge/scoped_utf_chars.h"

namespace olvan {
namespace {

// From this many chars on, the text is taken from String.getBytes; shorter
// strings go through GetStringUTFChars, which costs less than the look-ups
// the longer path makes.
constexpr jsize kEncodeInJavaFrom = 2048;
// The chars looked at first: text that is not ASCII there goes straight to
// the JVM's conversion.
constexpr jsize kSampleChars = 64;
// The Java array is read in pieces of this size, each inside a critical
// region of its own, so that no region holds off the collector for long.
constexpr jsize kCriticalPiece = 1 << 20;

// Whether the first chars are all ASCII other than NUL.
bool starts_as_plain_ascii(JNIEnv *env, jstring string, jsize chars) {
    jchar sample[kSampleChars];
    const jsize count = chars < kSampleChars ? chars : kSampleChars;
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
// to U+007F, in one pass.
Encoded copy_checked(JNIEnv *env, jbyteArray bytes, jsize length, char *text, QuestionMarks *marks) {
    for (jsize done = 0; done < length;) {
        const jsize piece = length - done < kCriticalPiece ? length - done : kCriticalPiece;
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
    if (length >= kEncodeInJavaFrom && length <= kCharsNeverCutShort) {
        DdsString copy;
        if (copy_encoded_in_java(env, string, length, &copy) == Encoded::Copied) {
            return copy;
        }
        // Text that is not all ASCII, or a Java heap too full for the bytes:
        // the JVM's own conversion.
        env->ExceptionClear();
    }
    ScopedUtfChars chars(env, string, length);
    if (!chars) {
        env->ExceptionClear();
        return nullptr;
    }
    return DdsString(DDS_String_dup(chars.c_str()));
}

}  // namespace olvan

bool OLVAN_copy_java_string(JNIEnv *env, jobject object, jfieldID field, char **slot) {
    olvan::ScopedLocalRef<jstring> value(env, static_cast<jstring>(env->GetObjectField(object, field)));
    if (!value) {
        return true;
    }
    olvan::DdsString copy = olvan::dup_java_string(env, value.get());
    // The record owns its strings: release the one being replaced rather than
    // leak it when a record is converted again.
    DDS_String_free(*slot);
    *slot = copy.release();
    if (*slot == nullptr) {
        olvan::raise_out_of_memory(env);
        return false;
    }
    return true;
}

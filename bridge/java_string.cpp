#include "bridge/java_string.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "bridge/raise.h"
#include "bridge/scoped_local_ref.h"
#include "bridge/scoped_utf_chars.h"

namespace olvan {
namespace {

// From this many chars on, the text is encoded by the JVM's String.getBytes;
// shorter strings go through GetStringUTFChars, which costs less than the
// look-ups the longer path makes.
constexpr jsize kEncodeInJavaFrom = 2048;
// Beyond this many chars a string's modified UTF-8 may pass 2^31 - 1 bytes,
// where GetStringUTFLength no longer counts it: such strings take the JVM's
// own conversion, which is checked for being cut short.
constexpr jsize kEncodeInJavaUpTo = (INT32_MAX - 3) / 3;

struct HeapFree {
    void operator()(void *block) const { std::free(block); }
};

// Beyond this many '?' in a text of one-byte characters, GetStringUTFLength
// settles whether any stands for an unpaired surrogate.
constexpr int kQuestionMarksLookedAt = 64;

// Whether the text, the string's UTF-8 from getBytes, is also its modified
// UTF-8. The two differ only at NUL (one byte against two), supplementary
// characters (four against six) and unpaired surrogates (a '?' against three
// bytes), so their lengths agree exactly when the texts do. When there are as
// many bytes as chars, that is asked of the bytes themselves: no NUL, and
// every '?' a '?' in the string. The JVM's count is the last resort: it
// reads the whole string a character at a time.
bool is_modified_utf8_of(JNIEnv *env, jstring string, jsize chars, const char *text, jsize length) {
    if (length == chars && std::strlen(text) == static_cast<size_t>(length)) {
        const char *end = text + length;
        const char *mark = static_cast<const char *>(std::memchr(text, '?', static_cast<size_t>(length)));
        for (int looked = 0; looked < kQuestionMarksLookedAt; ++looked) {
            if (mark == nullptr) {
                return true;
            }
            jchar unit = 0;
            env->GetStringRegion(string, static_cast<jsize>(mark - text), 1, &unit);
            if (unit != u'?') {
                return false;
            }
            mark = static_cast<const char *>(std::memchr(mark + 1, '?', static_cast<size_t>(end - mark - 1)));
        }
    }
    return length == env->GetStringUTFLength(string);
}

enum class Encoded { Copied, Differs, Failed };

Encoded copy_encoded_in_java(JNIEnv *env, jstring string, jsize chars, DdsString *copy) {
    ScopedLocalRef<jclass> charsets(env, env->FindClass("java/nio/charset/StandardCharsets"));
    if (!charsets) {
        return Encoded::Failed;
    }
    const jfieldID utf8_field = env->GetStaticFieldID(charsets.get(), "UTF_8", "Ljava/nio/charset/Charset;");
    if (utf8_field == nullptr) {
        return Encoded::Failed;
    }
    ScopedLocalRef<jobject> utf8(env, env->GetStaticObjectField(charsets.get(), utf8_field));
    ScopedLocalRef<jclass> string_class(env, env->GetObjectClass(string));
    if (!utf8 || !string_class) {
        return Encoded::Failed;
    }
    const jmethodID get_bytes = env->GetMethodID(string_class.get(), "getBytes", "(Ljava/nio/charset/Charset;)[B");
    if (get_bytes == nullptr) {
        return Encoded::Failed;
    }
    ScopedLocalRef<jbyteArray> bytes(env,
                                     static_cast<jbyteArray>(env->CallObjectMethod(string, get_bytes, utf8.get())));
    if (env->ExceptionCheck() || !bytes) {
        return Encoded::Failed;
    }
    const jsize length = env->GetArrayLength(bytes.get());
    // The middleware makes its strings only by copying a NUL-terminated text.
    std::unique_ptr<char, HeapFree> text(static_cast<char *>(std::malloc(static_cast<size_t>(length) + 1)));
    if (!text) {
        return Encoded::Failed;
    }
    env->GetByteArrayRegion(bytes.get(), 0, length, reinterpret_cast<jbyte *>(text.get()));
    text.get()[length] = '\0';
    if (!is_modified_utf8_of(env, string, chars, text.get(), length)) {
        return Encoded::Differs;
    }
    copy->reset(DDS_String_dup(text.get()));
    return *copy ? Encoded::Copied : Encoded::Failed;
}

}  // namespace

DdsString dup_java_string(JNIEnv *env, jstring string) {
    const jsize length = env->GetStringLength(string);
    if (length >= kEncodeInJavaFrom && length <= kEncodeInJavaUpTo) {
        DdsString copy;
        if (copy_encoded_in_java(env, string, length, &copy) == Encoded::Copied) {
            return copy;
        }
        // Text with NUL or surrogates, or a Java heap too full for the bytes:
        // the JVM's own conversion may still succeed.
        env->ExceptionClear();
    }
    ScopedUtfChars chars(env, string);
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

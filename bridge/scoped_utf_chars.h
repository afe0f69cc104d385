// Borrows a Java string's modified UTF-8 characters and gives them back when
// the scope ends. Keep the scope tight: the JVM's copy should live only until
// it has been duplicated or handed on.
#ifndef OLVAN_BRIDGE_SCOPED_UTF_CHARS_H
#define OLVAN_BRIDGE_SCOPED_UTF_CHARS_H

#include <jni.h>

#include <cstdint>

namespace olvan {

// Three bytes a char at most: strings of up to this many chars have modified
// UTF-8 of at most 2^31 - 4 bytes, within every JVM's limit.
constexpr jsize kCharsNeverCutShort = (INT32_MAX - 3) / 3;

// Whether chars, the JVM's modified UTF-8 of string, is shorter than the
// string's whole text. Some JVMs (JDK 17's) stop at 2^31 - 2 bytes without an
// error; only strings long enough to reach that are measured.
// length is the string's length in chars.
bool utf_chars_cut_short(JNIEnv *env, jstring string, jsize length, const char *chars);

class ScopedUtfChars {
public:
    // On failure c_str() is null: the JVM gave no characters (HotSpot raises
    // nothing then; other JVMs may leave an OutOfMemoryError pending), or it
    // gave only part of the text, which is given back unused.
    ScopedUtfChars(JNIEnv *env, jstring string) : ScopedUtfChars(env, string, env->GetStringLength(string)) {}
    // For a caller that knows the string's length in chars already.
    ScopedUtfChars(JNIEnv *env, jstring string, jsize length)
        : env_(env), string_(string), chars_(env->GetStringUTFChars(string, nullptr)) {
        if (chars_ != nullptr && utf_chars_cut_short(env, string, length, chars_)) {
            env_->ReleaseStringUTFChars(string_, chars_);
            chars_ = nullptr;
        }
    }
    ~ScopedUtfChars() {
        if (chars_ != nullptr) {
            env_->ReleaseStringUTFChars(string_, chars_);
        }
    }
    ScopedUtfChars(const ScopedUtfChars &) = delete;
    ScopedUtfChars &operator=(const ScopedUtfChars &) = delete;

    const char *c_str() const { return chars_; }
    explicit operator bool() const { return chars_ != nullptr; }

private:
    JNIEnv *env_;
    jstring string_;
    const char *chars_;
};

}  // namespace olvan

#endif

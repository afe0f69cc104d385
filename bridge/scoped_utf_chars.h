// Borrows a Java string's modified UTF-8 characters and gives them back when
// the scope ends. Keep the scope tight: the JVM's copy should live only until
// it has been duplicated or handed on.
#ifndef OLVAN_BRIDGE_SCOPED_UTF_CHARS_H
#define OLVAN_BRIDGE_SCOPED_UTF_CHARS_H

#include <jni.h>

namespace olvan {

class ScopedUtfChars {
public:
    // On failure c_str() is null and the JVM has an OutOfMemoryError pending.
    ScopedUtfChars(JNIEnv *env, jstring string)
        : env_(env), string_(string), chars_(env->GetStringUTFChars(string, nullptr)) {}
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

// Deletes a JNI local reference when it goes out of scope, so that loops over
// thousands of elements stay within the JVM's local reference budget and no
// early return leaks one.
#ifndef OLVAN_BRIDGE_SCOPED_LOCAL_REF_H
#define OLVAN_BRIDGE_SCOPED_LOCAL_REF_H

#include <jni.h>

namespace olvan {

template <typename T>
class ScopedLocalRef {
public:
    ScopedLocalRef(JNIEnv *env, T ref) : env_(env), ref_(ref) {}
    ~ScopedLocalRef() {
        if (ref_ != nullptr) {
            env_->DeleteLocalRef(ref_);  // allowed with an exception pending
        }
    }
    ScopedLocalRef(const ScopedLocalRef &) = delete;
    ScopedLocalRef &operator=(const ScopedLocalRef &) = delete;

    T get() const { return ref_; }
    explicit operator bool() const { return ref_ != nullptr; }

private:
    JNIEnv *env_;
    T ref_;
};

}  // namespace olvan

#endif

#include "bridge/java_string.h"

#include "bridge/raise.h"
#include "bridge/scoped_local_ref.h"
#include "bridge/scoped_utf_chars.h"

namespace olvan {

DdsString dup_java_string(JNIEnv *env, jstring string) {
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

// The user environment: every String key of a java.util.Properties and its
// value, appended to the record's list in the order the enumeration yields
// them. Methods are called virtually, so a subclass's overrides take effect.
#include "property/user_environment.h"

#include <cstddef>

#include "bridge/raise.h"
#include "bridge/scoped_local_ref.h"
#include "bridge/scoped_utf_chars.h"
#include "engine/olvan_dravix.h"

namespace olvan {
namespace {

struct PropertiesMethods {
    jmethodID get_property;
    jmethodID property_names;
    jmethodID size;
    jmethodID has_more_elements;
    jmethodID next_element;
};

// One method the conversion needs, the message if it is missing, and where its
// ID goes (null: looked up only to check that the class offers it).
struct MethodLookup {
    const char *name;
    const char *signature;
    const char *missing;
    jmethodID PropertiesMethods::*id;
};

// The order of the look-ups, and so which message a broken class gets, is fixed.
constexpr MethodLookup kPropertiesLookups[] = {
    {"<init>", "()V", "error getting properties constructor", nullptr},
    {"clear", "()V", "error getting properties clear method", nullptr},
    {"setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/Object;", "error getting properties set method",
     nullptr},
    {"getProperty", "(Ljava/lang/String;)Ljava/lang/String;", "error getting properties get method",
     &PropertiesMethods::get_property},
    {"propertyNames", "()Ljava/util/Enumeration;", "error getting properties property names method",
     &PropertiesMethods::property_names},
    {"size", "()I", "error getting properties get size method", &PropertiesMethods::size},
};
constexpr MethodLookup kEnumerationLookups[] = {
    {"hasMoreElements", "()Z", "error getting enum has more elements  method", &PropertiesMethods::has_more_elements},
    {"nextElement", "()Ljava/lang/Object;", "error getting enum next element method", &PropertiesMethods::next_element},
};

// Finalizing empties the list: what a failure after the lookups does.
void fail(JNIEnv *env, const char *message, OLVAN_DravixProperties *list) {
    JNIDravixCommon_throwOutOfResourcesException(env, message);
    OLVAN_DravixProperties_finalize(list);
}

// A Java method threw: its exception becomes the cause of the step's own. A
// null list is left as it was.
void fail_after_java_error(JNIEnv *env, const char *message, OLVAN_DravixProperties *list) {
    raise_after_java_error(env, kOutOfResourcesClass, message);
    if (list != nullptr) {
        OLVAN_DravixProperties_finalize(list);
    }
}

template <size_t N>
bool look_up_methods(JNIEnv *env, jclass cls, const MethodLookup (&lookups)[N], PropertiesMethods *methods,
                     OLVAN_DravixProperties *list) {
    for (const MethodLookup &lookup : lookups) {
        const jmethodID id = env->GetMethodID(cls, lookup.name, lookup.signature);
        if (id == nullptr) {
            fail(env, lookup.missing, list);
            return false;
        }
        if (lookup.id != nullptr) {
            methods->*lookup.id = id;
        }
    }
    return true;
}

// The lookups check that the classes offer what the conversion needs.
bool look_up(JNIEnv *env, PropertiesMethods *methods, OLVAN_DravixProperties *list) {
    ScopedLocalRef<jclass> properties(env, env->FindClass("java/util/Properties"));
    if (!properties) {
        fail(env, "error getting properties class", list);
        return false;
    }
    if (!look_up_methods(env, properties.get(), kPropertiesLookups, methods, list)) {
        return false;
    }
    ScopedLocalRef<jclass> enumeration(env, env->FindClass("java/util/Enumeration"));
    if (!enumeration) {
        fail(env, "error finding properties class", list);
        return false;
    }
    return look_up_methods(env, enumeration.get(), kEnumerationLookups, methods, list);
}

// Adds one key and its value. The characters stay borrowed until the library
// has copied them, and every reference made here is gone on return.
bool add_entry(JNIEnv *env, jobject properties, jstring key, const PropertiesMethods &methods,
               OLVAN_DravixProperties *list) {
    ScopedUtfChars name(env, key);
    if (!name) {
        fail(env, "get native string", list);
        return false;
    }
    ScopedLocalRef<jstring> value(env, static_cast<jstring>(env->CallObjectMethod(properties, methods.get_property, key)));
    if (env->ExceptionCheck()) {
        fail_after_java_error(env, "get value", list);
        return false;
    }
    if (!value) {
        if (OLVAN_DravixProperties_add(list, name.c_str(), nullptr) == 0) {
            fail(env, "add native property", list);
            return false;
        }
        return true;
    }
    ScopedUtfChars value_chars(env, value.get());
    if (!value_chars) {
        fail(env, "get native string value", list);
        return false;
    }
    if (OLVAN_DravixProperties_add(list, name.c_str(), value_chars.c_str()) == 0) {
        fail(env, "add native property", list);
        return false;
    }
    return true;
}

}  // namespace

bool convert_user_environment(JNIEnv *env, jobject object, jfieldID field, OLVAN_DravixProperties *list) {
    PropertiesMethods methods{};
    if (!look_up(env, &methods, list)) {
        return false;
    }
    ScopedLocalRef<jobject> properties(env, env->GetObjectField(object, field));
    if (!properties) {
        OLVAN_DravixProperties_finalize(list);  // null empties the list
        return true;
    }
    const jint size = env->CallIntMethod(properties.get(), methods.size);
    if (env->ExceptionCheck()) {
        // The list is left as it was: nothing has been read yet.
        fail_after_java_error(env, "error getting element count", nullptr);
        return false;
    }
    if (size == 0) {
        return true;  // an empty object adds nothing and removes nothing
    }
    ScopedLocalRef<jobject> names(env, env->CallObjectMethod(properties.get(), methods.property_names));
    if (env->ExceptionCheck()) {
        fail_after_java_error(env, "error getting enumeration of keys", list);
        return false;
    }
    if (!names) {
        return true;
    }
    // A subclass may yield keys that are not Strings; GetStringUTFChars on one
    // would crash the JVM, so they are skipped as stringPropertyNames would.
    ScopedLocalRef<jclass> string_class(env, env->FindClass("java/lang/String"));
    if (!string_class) {
        fail(env, "error finding string class", list);
        return false;
    }
    for (;;) {
        const jboolean more = env->CallBooleanMethod(names.get(), methods.has_more_elements);
        if (env->ExceptionCheck()) {
            fail_after_java_error(env, "has more elements", list);
            return false;
        }
        if (more == JNI_FALSE) {
            return true;
        }
        ScopedLocalRef<jobject> key(env, env->CallObjectMethod(names.get(), methods.next_element));
        if (env->ExceptionCheck()) {
            fail_after_java_error(env, "next element", list);
            return false;
        }
        if (!key || !env->IsInstanceOf(key.get(), string_class.get())) {
            continue;
        }
        if (!add_entry(env, properties.get(), static_cast<jstring>(key.get()), methods, list)) {
            return false;
        }
    }
}

}  // namespace olvan

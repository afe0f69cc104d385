// The test kit's natives: the stand-in's controls and what its live services
// hold, for com.olvan.dravix.testkit.StandIn. Texts go to Java as the bytes the
// service received; Java decodes them.
#include <jni.h>

#include <optional>
#include <string>
#include <vector>

#include "com_olvan_dravix_testkit_StandIn.h"
#include "olvan_standin_jni.h"

namespace {

using Text = std::optional<std::string>;

Text text(const char *value) { return value == nullptr ? Text() : Text(value); }

struct Entity {
    unsigned long long sequence;
    std::string name;
    Text file_name;
    std::string configuration;
};

struct Service {
    unsigned long long made = 0;
    int state = 0;
    std::vector<Text> texts;     // cfg_file, service_name, application_name, plugin_search_path
    std::vector<jlong> numbers;  // in the visitor's order
    std::vector<Text> cfg_strings;
    std::vector<Text> names;
    std::vector<Text> values;
    std::vector<Entity> entities;
};

// Copies everything while the stand-in holds each service's lock; Java
// objects are made only after, with no lock held.
std::vector<Service> snapshot() {
    std::vector<Service> services;
    olvan_dravix_service_visitor visitor{};
    visitor.context = &services;
    visitor.service = [](void *c, unsigned long long made, int state) {
        auto &all = *static_cast<std::vector<Service> *>(c);
        all.emplace_back();
        all.back().made = made;
        all.back().state = state;
    };
    visitor.text = [](void *c, const char *, const char *value) {
        static_cast<std::vector<Service> *>(c)->back().texts.push_back(text(value));
    };
    visitor.number = [](void *c, const char *, long value) {
        static_cast<std::vector<Service> *>(c)->back().numbers.push_back(value);
    };
    visitor.cfg_string = [](void *c, const char *value) {
        static_cast<std::vector<Service> *>(c)->back().cfg_strings.push_back(text(value));
    };
    visitor.variable = [](void *c, const char *name, const char *value) {
        Service &s = static_cast<std::vector<Service> *>(c)->back();
        s.names.push_back(text(name));
        s.values.push_back(text(value));
    };
    visitor.entity = [](void *c, unsigned long long sequence, const char *name, const char *file_name,
                        const char *configuration) {
        static_cast<std::vector<Service> *>(c)->back().entities.push_back(
            Entity{sequence, name, text(file_name), configuration});
    };
    olvan_dravix_visit_services(&visitor);
    return services;
}

// Each returns null with the JVM's OutOfMemoryError pending when a Java array
// cannot be made.
jbyteArray bytes(JNIEnv *env, const Text &value) {
    if (!value) {
        return nullptr;
    }
    const auto length = static_cast<jsize>(value->size());
    jbyteArray array = env->NewByteArray(length);
    if (array != nullptr) {
        env->SetByteArrayRegion(array, 0, length, reinterpret_cast<const jbyte *>(value->data()));
    }
    return array;
}

// A Java array of element_class with made(env, value) for each value: a local
// reference, or null (an element left null, unless an exception is pending).
template <typename T, typename Make>
jobjectArray array_of(JNIEnv *env, const char *element_class, const std::vector<T> &values, Make made) {
    jclass type = env->FindClass(element_class);
    if (type == nullptr) {
        return nullptr;
    }
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(values.size()), type, nullptr);
    env->DeleteLocalRef(type);
    for (jsize i = 0; array != nullptr && i < static_cast<jsize>(values.size()); ++i) {
        jobject element = made(env, values[static_cast<size_t>(i)]);
        if (env->ExceptionCheck()) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
        env->SetObjectArrayElement(array, i, element);
        env->DeleteLocalRef(element);
    }
    return array;
}

jobjectArray byte_arrays(JNIEnv *env, const std::vector<Text> &values) { return array_of(env, "[B", values, bytes); }

jlongArray longs(JNIEnv *env, const std::vector<jlong> &values) {
    jlongArray array = env->NewLongArray(static_cast<jsize>(values.size()));
    if (array != nullptr) {
        env->SetLongArrayRegion(array, 0, static_cast<jsize>(values.size()), values.data());
    }
    return array;
}

// One service as Java's StandIn.service(...) takes it: head (made, state,
// numbers...), texts, cfg strings, variable names and values, entity sequences,
// names, file names and configurations.
jobjectArray service_parts(JNIEnv *env, const Service &s) {
    std::vector<jlong> head{static_cast<jlong>(s.made), s.state};
    head.insert(head.end(), s.numbers.begin(), s.numbers.end());
    std::vector<jlong> sequences;
    std::vector<Text> names, files, configurations;
    for (const Entity &e : s.entities) {
        sequences.push_back(static_cast<jlong>(e.sequence));
        names.emplace_back(e.name);
        files.push_back(e.file_name);
        configurations.emplace_back(e.configuration);
    }
    jclass object = env->FindClass("java/lang/Object");
    if (object == nullptr) {
        return nullptr;
    }
    jobjectArray parts = env->NewObjectArray(9, object, nullptr);
    env->DeleteLocalRef(object);
    if (parts == nullptr) {
        return nullptr;
    }
    jobject made[9] = {longs(env, head), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    const std::vector<Text> *lists[] = {&s.texts, &s.cfg_strings, &s.names, &s.values};
    for (int i = 0; i < 4 && !env->ExceptionCheck(); ++i) {
        made[1 + i] = byte_arrays(env, *lists[i]);
    }
    if (!env->ExceptionCheck()) {
        made[5] = longs(env, sequences);
    }
    const std::vector<Text> *entity_lists[] = {&names, &files, &configurations};
    for (int i = 0; i < 3 && !env->ExceptionCheck(); ++i) {
        made[6 + i] = byte_arrays(env, *entity_lists[i]);
    }
    for (jsize i = 0; i < 9; ++i) {
        if (!env->ExceptionCheck()) {
            env->SetObjectArrayElement(parts, i, made[i]);
        }
        if (made[i] != nullptr) {
            env->DeleteLocalRef(made[i]);
        }
    }
    if (env->ExceptionCheck()) {
        env->DeleteLocalRef(parts);
        return nullptr;
    }
    return parts;
}

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_olvan_dravix_testkit_StandIn_reset0(JNIEnv *, jclass) {
    olvan_standin_jni::reset_stand_ins();
}

// An empty name fails as an unknown export would.
JNIEXPORT jboolean JNICALL Java_com_olvan_dravix_testkit_StandIn_failNext0(JNIEnv *env, jclass, jstring function) {
    const auto name = olvan_standin_jni::function_name(env, function);
    return olvan_dravix_fail_next(name.get() != nullptr ? name.get() : "") != 0 ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jboolean JNICALL Java_com_olvan_dravix_testkit_StandIn_failAlways0(JNIEnv *env, jclass, jstring function,
                                                                           jboolean on) {
    const auto name = olvan_standin_jni::function_name(env, function);
    return olvan_dravix_fail_always(name.get() != nullptr ? name.get() : "", on ? 1 : 0) != 0 ? JNI_TRUE : JNI_FALSE;
}

OLVAN_STANDIN_JNI_FAIL_AT(Java_com_olvan_dravix_testkit_StandIn_failCopyAt0, olvan_dds_fail_dup_at)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testkit_StandIn_liveServices0, olvan_dravix_live_services)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testkit_StandIn_liveStrings0, olvan_dds_live_strings)

JNIEXPORT jobjectArray JNICALL Java_com_olvan_dravix_testkit_StandIn_services0(JNIEnv *env, jclass) {
    std::vector<Service> services;
    try {
        services = snapshot();
    } catch (const std::bad_alloc &) {
        return nullptr;  // with nothing pending: StandIn throws the OutOfMemoryError itself
    }
    return array_of(env, "java/lang/Object", services, service_parts);
}

}  // extern "C"

// The floor each export is measured against: the JVM calls the bridge is
// required to make, in the same order, with the same middleware copies and
// service library calls, and nothing else. Whatever the bridge spends above
// these is its own overhead.
//
// For long ASCII text the least is not NewStringUTF and GetStringUTFChars,
// which go a char at a time, but the same text as a byte[], copied whole:
// from 2 KiB (2,048 chars) on, the floors take that way.
//
// Deliberate minimalism: failures throw a plain RuntimeException (a benchmark
// that fails stops), no scope guards, no messages. The only addition to the
// mandated calls is DeleteLocalRef for references made per element or entry:
// without it the walk is quadratic under -Xcheck:jni, so no linear bridge can
// avoid it either.
#include <jni.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/dds_string.h"
#include "engine/olvan_dravix.h"

extern "C" {
#include "com_olvan_dravix_bench_Floor.h"
}

namespace {

void fail(JNIEnv *env, const char *what) {
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
    }
    jclass cls = env->FindClass("java/lang/RuntimeException");
    if (cls != nullptr) {
        env->ThrowNew(cls, what);
    }
}

OLVAN_DravixProperty *record_at(jlong handle) {
    return reinterpret_cast<OLVAN_DravixProperty *>(static_cast<intptr_t>(handle));
}

OLVAN_Dravix *service_at(jlong handle) {
    return reinterpret_cast<OLVAN_Dravix *>(static_cast<intptr_t>(handle));
}

// GetStringUTFChars + DDS_String_dup + ReleaseStringUTFChars.
char *dup_chars(JNIEnv *env, jstring string) {
    const char *chars = env->GetStringUTFChars(string, nullptr);
    if (chars == nullptr) {
        return nullptr;
    }
    char *copy = DDS_String_dup(chars);
    env->ReleaseStringUTFChars(string, chars);
    return copy;
}

bool copy_string(JNIEnv *env, jobject object, jclass cls, const char *name, char **slot) {
    jfieldID field = env->GetFieldID(cls, name, "Ljava/lang/String;");
    if (field == nullptr) {
        return false;
    }
    auto value = static_cast<jstring>(env->GetObjectField(object, field));
    if (value == nullptr) {
        return true;
    }
    *slot = dup_chars(env, value);
    if (*slot == nullptr) {
        fail(env, "floor: string copy");
        return false;
    }
    return true;
}

bool copy_boolean(JNIEnv *env, jobject object, jclass cls, const char *name, uint8_t *slot) {
    jfieldID field = env->GetFieldID(cls, name, "Z");
    if (field == nullptr) {
        return false;
    }
    *slot = env->GetBooleanField(object, field) == 1 ? 1 : 0;
    return true;
}

bool copy_int(JNIEnv *env, jobject object, jclass cls, const char *name, int32_t *slot) {
    jfieldID field = env->GetFieldID(cls, name, "I");
    if (field == nullptr) {
        return false;
    }
    *slot = env->GetIntField(object, field);
    return true;
}

bool copy_string_array(JNIEnv *env, jobject object, jclass cls, OLVAN_DravixProperty *record) {
    jfieldID field = env->GetFieldID(cls, "cfgStrings", "[Ljava/lang/String;");
    if (field == nullptr) {
        return false;
    }
    auto array = static_cast<jobjectArray>(env->GetObjectField(object, field));
    if (array == nullptr) {
        return true;
    }
    const jsize length = env->GetArrayLength(array);
    auto **entries = static_cast<char **>(std::malloc(static_cast<size_t>(length) * sizeof(char *)));
    if (entries == nullptr && length > 0) {
        fail(env, "floor: array allocation");
        return false;
    }
    for (jsize i = 0; i < length; ++i) {
        entries[i] = nullptr;
    }
    record->cfg_strings = entries;
    record->cfg_strings_count = length;
    for (jsize i = 0; i < length; ++i) {
        auto element = static_cast<jstring>(env->GetObjectArrayElement(array, i));
        if (element == nullptr) {
            continue;
        }
        entries[i] = dup_chars(env, element);
        env->DeleteLocalRef(element);
        if (entries[i] == nullptr) {
            fail(env, "floor: element copy");
            return false;
        }
    }
    return true;
}

bool java_error(JNIEnv *env) {
    if (env->ExceptionCheck()) {
        fail(env, "floor: a Java call threw");
        return true;
    }
    return false;
}

bool convert_user_environment(JNIEnv *env, jobject object, jclass cls, OLVAN_DravixProperties *list) {
    jfieldID field = env->GetFieldID(cls, "user_environment", "Ljava/util/Properties;");
    if (field == nullptr) {
        return false;
    }
    jclass properties_class = env->FindClass("java/util/Properties");
    if (properties_class == nullptr ||
        env->GetMethodID(properties_class, "<init>", "()V") == nullptr ||
        env->GetMethodID(properties_class, "clear", "()V") == nullptr ||
        env->GetMethodID(properties_class, "setProperty",
                         "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/Object;") == nullptr) {
        fail(env, "floor: Properties lookups");
        return false;
    }
    jmethodID get_property = env->GetMethodID(properties_class, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;");
    jmethodID property_names = env->GetMethodID(properties_class, "propertyNames", "()Ljava/util/Enumeration;");
    jmethodID size = env->GetMethodID(properties_class, "size", "()I");
    if (get_property == nullptr || property_names == nullptr || size == nullptr) {
        fail(env, "floor: Properties lookups");
        return false;
    }
    jclass enumeration_class = env->FindClass("java/util/Enumeration");
    if (enumeration_class == nullptr) {
        fail(env, "floor: Enumeration lookup");
        return false;
    }
    jmethodID has_more = env->GetMethodID(enumeration_class, "hasMoreElements", "()Z");
    jmethodID next = env->GetMethodID(enumeration_class, "nextElement", "()Ljava/lang/Object;");
    if (has_more == nullptr || next == nullptr) {
        fail(env, "floor: Enumeration lookups");
        return false;
    }
    jobject properties = env->GetObjectField(object, field);
    if (properties == nullptr) {
        OLVAN_DravixProperties_finalize(list);
        return true;
    }
    const jint count = env->CallIntMethod(properties, size);
    if (java_error(env)) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    jobject names = env->CallObjectMethod(properties, property_names);
    if (java_error(env)) {
        return false;
    }
    if (names == nullptr) {
        return true;
    }
    for (;;) {
        const jboolean more = env->CallBooleanMethod(names, has_more);
        if (java_error(env)) {
            return false;
        }
        if (more == JNI_FALSE) {
            return true;
        }
        auto key = static_cast<jstring>(env->CallObjectMethod(names, next));
        if (java_error(env)) {
            return false;
        }
        if (key == nullptr) {
            continue;
        }
        const char *name = env->GetStringUTFChars(key, nullptr);
        if (name == nullptr) {
            fail(env, "floor: key characters");
            return false;
        }
        auto value = static_cast<jstring>(env->CallObjectMethod(properties, get_property, key));
        if (java_error(env)) {
            env->ReleaseStringUTFChars(key, name);
            return false;
        }
        const char *value_chars = nullptr;
        if (value != nullptr) {
            value_chars = env->GetStringUTFChars(value, nullptr);
            if (value_chars == nullptr) {
                env->ReleaseStringUTFChars(key, name);
                fail(env, "floor: value characters");
                return false;
            }
        }
        const OLVAN_Boolean added = OLVAN_DravixProperties_add(list, name, value_chars);
        env->ReleaseStringUTFChars(key, name);
        if (value != nullptr) {
            env->ReleaseStringUTFChars(value, value_chars);
            env->DeleteLocalRef(value);
        }
        env->DeleteLocalRef(key);
        if (added == 0) {
            fail(env, "floor: add");
            return false;
        }
    }
}

// The expected record of self-check case 1, built as the check must build it.
bool same(const char *expected, const char *actual) {
    if (expected == nullptr || actual == nullptr) {
        return expected == actual;
    }
    return std::strcmp(expected, actual) == 0;
}

bool case1_matches(const OLVAN_DravixProperty &e, const OLVAN_DravixProperty &a) {
    if (!same(e.cfg_file, a.cfg_file) || e.cfg_strings_count != a.cfg_strings_count) {
        return false;
    }
    for (int32_t i = 0; i < e.cfg_strings_count; ++i) {
        if (!same(e.cfg_strings[i], a.cfg_strings == nullptr ? nullptr : a.cfg_strings[i])) {
            return false;
        }
    }
    if (!same(e.service_name, a.service_name) || !same(e.application_name, a.application_name) ||
        e.enforce_xsd_validation != a.enforce_xsd_validation || e.service_verbosity != a.service_verbosity ||
        e.dds_verbosity != a.dds_verbosity || e.domain_id_base != a.domain_id_base ||
        !same(e.plugin_search_path, a.plugin_search_path) || e.dont_start_service != a.dont_start_service ||
        e.enable_administration != a.enable_administration ||
        e.administration_domain_id != a.administration_domain_id || e.enable_monitoring != a.enable_monitoring ||
        e.monitoring_domain_id != a.monitoring_domain_id || e.skip_default_files != a.skip_default_files ||
        e.identify_execution != a.identify_execution ||
        e.registered_transports_count != a.registered_transports_count ||
        e.user_environment.count != a.user_environment.count) {
        return false;
    }
    for (int32_t i = 0; i < e.user_environment.count; ++i) {
        if (!same(e.user_environment.entries[i].name, a.user_environment.entries[i].name) ||
            !same(e.user_environment.entries[i].value, a.user_environment.entries[i].value)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_olvan_dravix_bench_Floor_empty(JNIEnv *, jclass, jlong) {}

JNIEXPORT void JNICALL Java_com_olvan_dravix_bench_Floor_start(JNIEnv *env, jclass, jlong service) {
    if (OLVAN_Dravix_start(service_at(service)) != 1) {
        fail(env, "floor: start");
    }
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_bench_Floor_stop(JNIEnv *env, jclass, jlong service) {
    if (OLVAN_Dravix_stop(service_at(service)) != 1) {
        fail(env, "floor: stop");
    }
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_bench_Floor_toNative(JNIEnv *env, jclass, jobject property,
                                                                 jlong handle) {
    OLVAN_DravixProperty *r = record_at(handle);
    jclass cls = env->GetObjectClass(property);
    (void)(copy_string(env, property, cls, "cfgFile", &r->cfg_file) &&
           copy_string_array(env, property, cls, r) &&
           copy_string(env, property, cls, "serviceName", &r->service_name) &&
           copy_string(env, property, cls, "applicationName", &r->application_name) &&
           copy_boolean(env, property, cls, "enforceXsdValidation", &r->enforce_xsd_validation) &&
           copy_int(env, property, cls, "serviceVerbosity", &r->service_verbosity) &&
           copy_int(env, property, cls, "ddsVerbosity", &r->dds_verbosity) &&
           copy_int(env, property, cls, "domainIdBase", &r->domain_id_base) &&
           copy_string(env, property, cls, "pluginSearchPath", &r->plugin_search_path) &&
           copy_boolean(env, property, cls, "dontStartService", &r->dont_start_service) &&
           copy_boolean(env, property, cls, "enableAdministration", &r->enable_administration) &&
           copy_int(env, property, cls, "administrationDomainId", &r->administration_domain_id) &&
           copy_boolean(env, property, cls, "enableMonitoring", &r->enable_monitoring) &&
           copy_int(env, property, cls, "monitoringDomainId", &r->monitoring_domain_id) &&
           copy_boolean(env, property, cls, "skipDefaultFiles", &r->skip_default_files) &&
           copy_boolean(env, property, cls, "identifyExecution", &r->identify_execution) &&
           convert_user_environment(env, property, cls, &r->user_environment));
}

JNIEXPORT jboolean JNICALL Java_com_olvan_dravix_bench_Floor_checkCase1(JNIEnv *env, jclass, jlong handle) {
    OLVAN_DravixProperty expected;
    std::memset(&expected, 0, sizeof expected);
    expected.user_environment.library_flag = 1;
    auto **strings = static_cast<char **>(std::malloc(2 * sizeof(char *)));
    if (strings == nullptr) {
        fail(env, "floor: array allocation");
        return JNI_FALSE;
    }
    strings[0] = const_cast<char *>("cfg_string0");
    strings[1] = const_cast<char *>("cfg_string1");
    expected.cfg_file = const_cast<char *>("cfg_file");
    expected.cfg_strings = strings;
    expected.cfg_strings_count = 2;
    expected.service_name = const_cast<char *>("service_name");
    expected.application_name = const_cast<char *>("application_name");
    expected.service_verbosity = 42;
    expected.dds_verbosity = 43;
    expected.domain_id_base = 44;
    expected.plugin_search_path = const_cast<char *>("plugin_search_path");
    expected.dont_start_service = 1;
    expected.enable_administration = 1;
    expected.administration_domain_id = 9;
    expected.enable_monitoring = 1;
    expected.monitoring_domain_id = 10;
    expected.skip_default_files = 1;
    expected.identify_execution = 1;
    OLVAN_DravixProperties_add(&expected.user_environment, "name2", "value2");
    OLVAN_DravixProperties_add(&expected.user_environment, "name1", "value1");
    const bool matches = case1_matches(expected, *record_at(handle));
    OLVAN_DravixProperties_finalize(&expected.user_environment);
    std::free(strings);
    return matches ? JNI_TRUE : JNI_FALSE;
}

}  // extern "C"

namespace {

constexpr size_t kWholeArrayFrom = 2048;

// A long ASCII string's middleware copy: getBytes(ISO_8859_1), the bytes
// into a NUL-terminated text, DDS_String_dup.
char *dup_ascii_bytes(JNIEnv *env, jstring string) {
    jclass charsets = env->FindClass("java/nio/charset/StandardCharsets");
    jfieldID latin1_field = env->GetStaticFieldID(charsets, "ISO_8859_1", "Ljava/nio/charset/Charset;");
    jobject latin1 = env->GetStaticObjectField(charsets, latin1_field);
    jclass string_class = env->GetObjectClass(string);
    jmethodID get_bytes = env->GetMethodID(string_class, "getBytes", "(Ljava/nio/charset/Charset;)[B");
    auto bytes = static_cast<jbyteArray>(env->CallObjectMethod(string, get_bytes, latin1));
    if (bytes == nullptr) {
        return nullptr;
    }
    const jsize length = env->GetArrayLength(bytes);
    auto *text = static_cast<char *>(std::malloc(static_cast<size_t>(length) + 1));
    if (text == nullptr) {
        return nullptr;
    }
    env->GetByteArrayRegion(bytes, 0, length, reinterpret_cast<jbyte *>(text));
    text[length] = '\0';
    char *copy = DDS_String_dup(text);
    std::free(text);
    env->DeleteLocalRef(bytes);
    return copy;
}

char *dup_least(JNIEnv *env, jstring string) {
    return static_cast<size_t>(env->GetStringLength(string)) >= kWholeArrayFrom ? dup_ascii_bytes(env, string)
                                                                                : dup_chars(env, string);
}

void create_entity(JNIEnv *env, jlong service, jstring name, jstring configuration,
                   char *(*dup)(JNIEnv *, jstring)) {
    char *name_copy = dup(env, name);
    if (name_copy == nullptr) {
        fail(env, "floor: name copy");
        return;
    }
    char *configuration_copy = dup(env, configuration);
    if (configuration_copy == nullptr) {
        DDS_String_free(name_copy);
        fail(env, "floor: configuration copy");
        return;
    }
    const char *file_name = nullptr;
    const char *text = configuration_copy;
    if (std::strncmp(text, "file://", 7) == 0) {
        file_name = text + 7;
        text = nullptr;
    }
    const OLVAN_Boolean created = OLVAN_Dravix_create_entity(service_at(service), name_copy, file_name, text);
    DDS_String_free(name_copy);
    DDS_String_free(configuration_copy);
    if (created != 1) {
        fail(env, "floor: create_entity");
    }
}

// Long ASCII text as a byte[] handed to String(byte[], 0).
jstring ascii_string_from_bytes(JNIEnv *env, const char *text, size_t length) {
    jbyteArray bytes = env->NewByteArray(static_cast<jsize>(length));
    if (bytes == nullptr) {
        return nullptr;
    }
    env->SetByteArrayRegion(bytes, 0, static_cast<jsize>(length), reinterpret_cast<const jbyte *>(text));
    jclass string_class = env->FindClass("java/lang/String");
    jmethodID constructor = env->GetMethodID(string_class, "<init>", "([BI)V");
    auto result = static_cast<jstring>(env->NewObject(string_class, constructor, bytes, jint{0}));
    env->DeleteLocalRef(bytes);
    return result;
}

jstring get_configuration(JNIEnv *env, jlong service, bool least) {
    char *text = OLVAN_Dravix_get_configuration(service_at(service));
    if (text == nullptr) {
        fail(env, "floor: get_configuration");
        return nullptr;
    }
    jstring result;
    const size_t length = least ? std::strlen(text) : 0;
    if (least && length >= kWholeArrayFrom) {
        result = ascii_string_from_bytes(env, text, length);
    } else {
        result = env->NewStringUTF(text);
    }
    OLVAN_Dravix_free_string(text);
    return result;
}

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_olvan_dravix_bench_Floor_createEntity(JNIEnv *env, jclass, jlong service,
                                                                     jstring name, jstring configuration) {
    create_entity(env, service, name, configuration, dup_least);
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_bench_Floor_createEntityUtfChars(JNIEnv *env, jclass, jlong service,
                                                                             jstring name, jstring configuration) {
    create_entity(env, service, name, configuration, dup_chars);
}

JNIEXPORT jstring JNICALL Java_com_olvan_dravix_bench_Floor_getConfiguration(JNIEnv *env, jclass, jlong service) {
    return get_configuration(env, service, true);
}

JNIEXPORT jstring JNICALL Java_com_olvan_dravix_bench_Floor_getConfigurationNewStringUtf(JNIEnv *env, jclass,
                                                                                        jlong service) {
    return get_configuration(env, service, false);
}

// Not floors: the configuration's byte length, to make an ASCII text of the
// same length; what a conversion produced, for the sanity checks.
JNIEXPORT jlong JNICALL Java_com_olvan_dravix_bench_Floor_configurationLength(JNIEnv *env, jclass, jlong service) {
    char *text = OLVAN_Dravix_get_configuration(service_at(service));
    if (text == nullptr) {
        fail(env, "floor: get_configuration");
        return -1;
    }
    const jlong length = static_cast<jlong>(std::strlen(text));
    OLVAN_Dravix_free_string(text);
    return length;
}

JNIEXPORT jint JNICALL Java_com_olvan_dravix_bench_Floor_userEnvironmentCount(JNIEnv *, jclass, jlong handle) {
    return record_at(handle)->user_environment.count;
}

JNIEXPORT jint JNICALL Java_com_olvan_dravix_bench_Floor_cfgStringsCount(JNIEnv *, jclass, jlong handle) {
    return record_at(handle)->cfg_strings_count;
}

}  // extern "C"

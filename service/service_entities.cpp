// Creating and deleting entities in a running service.
#include <cstring>

#include "bridge/java_string.h"
#include "bridge/raise.h"
#include "engine/olvan_dravix.h"

extern "C" {
#include "com_olvan_dravix_Dravix.h"
}

using namespace olvan;

namespace {

// A configuration starting with this names a file; the case matters.
constexpr char kFilePrefix[] = "file://";
constexpr size_t kFilePrefixLength = sizeof kFilePrefix - 1;

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_olvan_dravix_Dravix_Dravix_1create_1entity(JNIEnv *env, jclass, jlong handle,
                                                                          jstring name, jstring configuration) {
    OLVAN_Dravix *service = checked_service(env, handle);
    if (service == nullptr || !checked_argument(env, name, "name") ||
        !checked_argument(env, configuration, "configuration")) {
        return;
    }
    DdsString name_copy = dup_java_string(env, name);
    if (!name_copy) {
        return;
    }
    DdsString configuration_copy = dup_java_string(env, configuration);
    if (!configuration_copy) {
        return;  // the name copy goes back on the way out
    }
    const char *file_name = nullptr;
    const char *text = configuration_copy.get();
    if (std::strncmp(text, kFilePrefix, kFilePrefixLength) == 0) {
        file_name = text + kFilePrefixLength;  // points into the same copy
        text = nullptr;
    }
    if (OLVAN_Dravix_create_entity(service, name_copy.get(), file_name, text) != 1) {
        raise(env, kDravixExceptionClass, "OLVAN_Dravix_create_entity error");
    }
    // The name goes back first, then the configuration from its start.
    name_copy.reset();
    configuration_copy.reset();
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_Dravix_Dravix_1delete_1entity(JNIEnv *env, jclass, jlong handle,
                                                                          jstring name) {
    OLVAN_Dravix *service = checked_service(env, handle);
    if (service == nullptr || !checked_argument(env, name, "name")) {
        return;
    }
    DdsString name_copy = dup_java_string(env, name);
    if (!name_copy) {
        return;
    }
    if (OLVAN_Dravix_delete_entity(service, name_copy.get()) != 1) {
        raise(env, kDravixExceptionClass, "OLVAN_Dravix_delete_entity error");
    }
}

}  // extern "C"

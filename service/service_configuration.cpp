// Reading a service's configuration back as a Java string.
#include <memory>

#include "bridge/java_string.h"
#include "bridge/raise.h"
#include "engine/olvan_dravix.h"

extern "C" {
#include "com_olvan_dravix_Dravix.h"
}

using namespace olvan;

namespace {

struct ServiceTextFree {
    void operator()(char *text) const { OLVAN_Dravix_free_string(text); }
};

}  // namespace

extern "C" {

JNIEXPORT jstring JNICALL Java_com_olvan_dravix_Dravix_Dravix_1get_1configuration(JNIEnv *env, jclass,
                                                                                 jlong handle) {
    OLVAN_Dravix *service = checked_service(env, handle);
    if (service == nullptr) {
        return nullptr;
    }
    // Released with the library's own function on every path.
    std::unique_ptr<char, ServiceTextFree> text(OLVAN_Dravix_get_configuration(service));
    if (!text) {
        raise(env, kDravixExceptionClass, "OLVAN_Dravix_get_configuration error");
        return nullptr;
    }
    return java_string_from_service_text(env, text.get());
}

}  // extern "C"

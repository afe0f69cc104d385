// The self-check: a test harness converts settings for one of six numbered
// cases and asks whether the record holds exactly what that case expects.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bridge/raise.h"
#include "engine/olvan_dravix.h"
#include "property/settings.h"

extern "C" {
#include "com_olvan_dravix_DravixProperty.h"
}

using namespace olvan;

namespace {

// Owns what an expected record holds beyond literal texts, and releases it on
// every path out of the check.
struct ExpectedRecord {
    OLVAN_DravixProperty record;

    ExpectedRecord() {
        std::memset(&record, 0, sizeof record);
        record.enforce_xsd_validation = 1;
        record.service_verbosity = 3;
        record.dds_verbosity = 3;
        record.user_environment.library_flag = 1;
    }
    ~ExpectedRecord() {
        OLVAN_DravixProperties_finalize(&record.user_environment);
        std::free(record.cfg_strings);
    }
    ExpectedRecord(const ExpectedRecord &) = delete;
    ExpectedRecord &operator=(const ExpectedRecord &) = delete;
};

// Case 1's record. The texts are literals, not copies; only the array comes
// from the heap. Returns false if that array could not be had.
bool fill_full_case(OLVAN_DravixProperty *r) {
    auto **strings = static_cast<char **>(std::malloc(2 * sizeof(char *)));
    if (strings == nullptr) {
        return false;
    }
    strings[0] = const_cast<char *>("cfg_string0");
    strings[1] = const_cast<char *>("cfg_string1");
    r->cfg_file = const_cast<char *>("cfg_file");
    r->cfg_strings = strings;
    r->cfg_strings_count = 2;
    r->service_name = const_cast<char *>("service_name");
    r->application_name = const_cast<char *>("application_name");
    r->enforce_xsd_validation = 0;
    r->service_verbosity = 42;
    r->dds_verbosity = 43;
    r->domain_id_base = 44;
    r->plugin_search_path = const_cast<char *>("plugin_search_path");
    r->dont_start_service = 1;
    r->enable_administration = 1;
    r->administration_domain_id = 9;
    r->enable_monitoring = 1;
    r->monitoring_domain_id = 10;
    r->skip_default_files = 1;
    r->identify_execution = 1;
    r->registered_transports_count = 0;
    // The order in which the JVM's enumeration yields the two keys.
    OLVAN_DravixProperties_add(&r->user_environment, "name2", "value2");
    OLVAN_DravixProperties_add(&r->user_environment, "name1", "value1");
    return true;
}

void set_verbosity(OLVAN_DravixProperty *r, int32_t level) {
    r->service_verbosity = level;
    r->dds_verbosity = level;
}

// Null on either side is a difference unless both are null; nothing null is
// ever dereferenced.
bool same_text(const char *expected, const char *actual) {
    if (expected == nullptr || actual == nullptr) {
        return expected == actual;
    }
    return std::strcmp(expected, actual) == 0;
}

const char *entry_at(char *const *array, int32_t index) {
    return array == nullptr ? nullptr : array[index];
}

const OLVAN_DravixPropertyEntry *list_entry(const OLVAN_DravixProperties &list, int32_t index) {
    return list.entries == nullptr ? nullptr : &list.entries[index];
}

// Presence first, then the text when the expected side has one.
const char *compare_text(const char *expected, const char *actual, const Setting &setting) {
    if ((expected == nullptr) != (actual == nullptr)) {
        return setting.labels[0];
    }
    return expected != nullptr && std::strcmp(expected, actual) != 0 ? setting.labels[1] : nullptr;
}

const char *compare_text_array(const OLVAN_DravixProperty &e, const OLVAN_DravixProperty &a,
                               const Setting &setting) {
    if (e.cfg_strings_count != a.cfg_strings_count) {
        return setting.labels[0];
    }
    for (int32_t i = 0; i < e.cfg_strings_count; ++i) {
        if (!same_text(entry_at(e.cfg_strings, i), entry_at(a.cfg_strings, i))) {
            return setting.labels[1];
        }
    }
    return nullptr;
}

const char *compare_environment(const OLVAN_DravixProperties &el, const OLVAN_DravixProperties &al,
                                const Setting &setting) {
    if (el.count != al.count) {
        return setting.labels[0];
    }
    for (int32_t i = 0; i < el.count; ++i) {
        const OLVAN_DravixPropertyEntry *expected = list_entry(el, i);
        const OLVAN_DravixPropertyEntry *actual = list_entry(al, i);
        if (expected == nullptr || actual == nullptr || !same_text(expected->name, actual->name)) {
            return setting.labels[1];
        }
        if (!same_text(expected->value, actual->value)) {
            return setting.labels[2];
        }
    }
    return nullptr;
}

const char *compare_field(const OLVAN_DravixProperty &e, const OLVAN_DravixProperty &a, const Setting &setting) {
    switch (setting.kind) {
        case SettingKind::Text:
            return compare_text(slot<char *>(e, setting), slot<char *>(a, setting), setting);
        case SettingKind::Flag:
            return slot<uint8_t>(e, setting) != slot<uint8_t>(a, setting) ? setting.labels[0] : nullptr;
        case SettingKind::Number:
            return slot<int32_t>(e, setting) != slot<int32_t>(a, setting) ? setting.labels[0] : nullptr;
        case SettingKind::TextArray:
            return compare_text_array(e, a, setting);
        case SettingKind::Environment:
            return compare_environment(slot<OLVAN_DravixProperties>(e, setting),
                                       slot<OLVAN_DravixProperties>(a, setting), setting);
    }
    return nullptr;
}

// The first difference, in the fixed order, or null when the records agree.
const char *first_difference(const OLVAN_DravixProperty &e, const OLVAN_DravixProperty &a) {
    for (const Setting &setting : kSettings) {
        if (const char *label = compare_field(e, a, setting)) {
            return label;
        }
    }
    return nullptr;
}

}  // namespace

extern "C" {

JNIEXPORT jboolean JNICALL Java_com_olvan_dravix_DravixProperty_DravixProperty_1check_1native(JNIEnv *env, jclass,
                                                                                             jlong handle,
                                                                                             jlong test_case) {
    const OLVAN_DravixProperty *actual = checked_record(env, handle);
    if (actual == nullptr) {
        return JNI_FALSE;
    }
    if (test_case < 0 || test_case > 5) {
        return JNI_FALSE;
    }
    ExpectedRecord expected;
    switch (test_case) {
        case 1:
            if (!fill_full_case(&expected.record)) {
                raise_out_of_memory(env);
                return JNI_FALSE;
            }
            break;
        case 2: set_verbosity(&expected.record, OLVAN_DRAVIX_LOG_VERBOSITY_SILENT); break;
        case 3: set_verbosity(&expected.record, OLVAN_DRAVIX_LOG_VERBOSITY_EXCEPTIONS); break;
        case 4: set_verbosity(&expected.record, OLVAN_DRAVIX_LOG_VERBOSITY_WARNINGS); break;
        case 5: set_verbosity(&expected.record, OLVAN_DRAVIX_LOG_VERBOSITY_INFO); break;
        default: break;
    }
    if (const char *label = first_difference(expected.record, *actual)) {
        char message[200];
        std::snprintf(message, sizeof message, "property compare error for field %s\n", label);
        raise(env, kRuntimeExceptionClass, message);
        return JNI_FALSE;
    }
    return JNI_TRUE;
}

}  // extern "C"

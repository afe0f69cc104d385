/*
 * The native property record, byte for byte as the service library reads it:
 * 256 bytes, little-endian, natural alignment on LP64. The bytes named
 * library_* belong to the service library; the bridge copies them with the
 * default record and never touches them otherwise.
 */
#ifndef OLVAN_ENGINE_PROPERTY_RECORD_H
#define OLVAN_ENGINE_PROPERTY_RECORD_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <assert.h>
#include <stdalign.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One user environment entry; the value may be null. */
typedef struct OLVAN_DravixPropertyEntry {
    char *name;
    char *value;
} OLVAN_DravixPropertyEntry;

/* Filled and emptied only through OLVAN_DravixProperties_add / _finalize. */
typedef struct OLVAN_DravixProperties {
    OLVAN_DravixPropertyEntry *entries; /* one contiguous array, or null */
    int32_t count;
    uint8_t library_flag;               /* 1 in the initial state; meaning is the library's */
    uint8_t library_reserved[3];        /* 0 in the initial state */
} OLVAN_DravixProperties;

typedef struct OLVAN_DravixProperty {
    char *cfg_file;
    char **cfg_strings;                 /* array from the C heap; entries are middleware strings */
    int32_t cfg_strings_count;
    uint8_t library_bytes_20[4];
    char *service_name;
    char *application_name;
    uint8_t enforce_xsd_validation;
    uint8_t library_bytes_41[3];
    int32_t service_verbosity;
    int32_t dds_verbosity;
    int32_t domain_id_base;
    char *plugin_search_path;
    uint8_t dont_start_service;
    uint8_t enable_administration;
    uint8_t library_bytes_66[2];
    int32_t administration_domain_id;
    uint8_t enable_monitoring;
    uint8_t library_bytes_73[3];
    int32_t monitoring_domain_id;
    uint8_t library_bytes_80[8];
    uint8_t skip_default_files;
    uint8_t identify_execution;
    uint8_t library_bytes_90[134];
    int32_t registered_transports_count;
    uint8_t library_bytes_228[12];
    OLVAN_DravixProperties user_environment;
} OLVAN_DravixProperty;

#ifdef __cplusplus
}
#endif

/* The layout is shared with a closed library: any drift is a silent corruption. */
#define OLVAN_RECORD_CHECK(field, offset) \
    static_assert(offsetof(OLVAN_DravixProperty, field) == (offset), "record field " #field " moved")

OLVAN_RECORD_CHECK(cfg_file, 0);
OLVAN_RECORD_CHECK(cfg_strings, 8);
OLVAN_RECORD_CHECK(cfg_strings_count, 16);
OLVAN_RECORD_CHECK(library_bytes_20, 20);
OLVAN_RECORD_CHECK(service_name, 24);
OLVAN_RECORD_CHECK(application_name, 32);
OLVAN_RECORD_CHECK(enforce_xsd_validation, 40);
OLVAN_RECORD_CHECK(library_bytes_41, 41);
OLVAN_RECORD_CHECK(service_verbosity, 44);
OLVAN_RECORD_CHECK(dds_verbosity, 48);
OLVAN_RECORD_CHECK(domain_id_base, 52);
OLVAN_RECORD_CHECK(plugin_search_path, 56);
OLVAN_RECORD_CHECK(dont_start_service, 64);
OLVAN_RECORD_CHECK(enable_administration, 65);
OLVAN_RECORD_CHECK(library_bytes_66, 66);
OLVAN_RECORD_CHECK(administration_domain_id, 68);
OLVAN_RECORD_CHECK(enable_monitoring, 72);
OLVAN_RECORD_CHECK(library_bytes_73, 73);
OLVAN_RECORD_CHECK(monitoring_domain_id, 76);
OLVAN_RECORD_CHECK(library_bytes_80, 80);
OLVAN_RECORD_CHECK(skip_default_files, 88);
OLVAN_RECORD_CHECK(identify_execution, 89);
OLVAN_RECORD_CHECK(library_bytes_90, 90);
OLVAN_RECORD_CHECK(registered_transports_count, 224);
OLVAN_RECORD_CHECK(library_bytes_228, 228);
OLVAN_RECORD_CHECK(user_environment, 240);
static_assert(sizeof(OLVAN_DravixProperty) == 256, "record size");
static_assert(alignof(OLVAN_DravixProperty) == 8, "record alignment");

static_assert(offsetof(OLVAN_DravixProperties, entries) == 0, "list entries moved");
static_assert(offsetof(OLVAN_DravixProperties, count) == 8, "list count moved");
static_assert(offsetof(OLVAN_DravixProperties, library_flag) == 12, "list byte 12 moved");
static_assert(offsetof(OLVAN_DravixProperties, library_reserved) == 13, "list tail moved");
static_assert(sizeof(OLVAN_DravixProperties) == 16, "list size");

static_assert(offsetof(OLVAN_DravixPropertyEntry, name) == 0, "entry name moved");
static_assert(offsetof(OLVAN_DravixPropertyEntry, value) == 8, "entry value moved");
static_assert(sizeof(OLVAN_DravixPropertyEntry) == 16, "entry size");

#undef OLVAN_RECORD_CHECK

#endif

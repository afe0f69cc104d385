/*
 * What the bridge calls in the service library libolvandravix.so, and the
 * records it exchanges with it. The library is closed; these declarations are
 * the contract the bridge is written against, not a copy of its headers.
 *
 * C-compatible so that a stand-in or a C test can include it too.
 */
#ifndef OLVAN_ENGINE_OLVAN_DRAVIX_H
#define OLVAN_ENGINE_OLVAN_DRAVIX_H

#include <stddef.h>
#include <stdint.h>

#include "engine/property_record.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One byte; which calls need exactly 1 for success is the caller's business. */
typedef unsigned char OLVAN_Boolean;

/* A service instance; only the library knows what is inside. */
typedef struct OLVAN_Dravix OLVAN_Dravix;

/* The record may be null; what that means is the library's choice. */
OLVAN_Dravix *OLVAN_Dravix_new(const OLVAN_DravixProperty *property);
/* The result is ignored by the bridge. */
OLVAN_Boolean OLVAN_Dravix_delete(OLVAN_Dravix *self);
OLVAN_Boolean OLVAN_Dravix_start(OLVAN_Dravix *self);
OLVAN_Boolean OLVAN_Dravix_stop(OLVAN_Dravix *self);

/* Exactly one of file_name and text is non-null. No pointer is kept. */
OLVAN_Boolean OLVAN_Dravix_create_entity(OLVAN_Dravix *self,
                                         const char *entity_name,
                                         const char *file_name,
                                         const char *text);
OLVAN_Boolean OLVAN_Dravix_delete_entity(OLVAN_Dravix *self,
                                         const char *entity_name);

/* Text owned by the caller, released with OLVAN_Dravix_free_string; null on failure. */
char *OLVAN_Dravix_get_configuration(OLVAN_Dravix *self);
void OLVAN_Dravix_free_string(char *text);

/* Copies both strings (value may be null) and appends in call order; any non-zero byte is success. */
OLVAN_Boolean OLVAN_DravixProperties_add(OLVAN_DravixProperties *self,
                                         const char *name,
                                         const char *value);
/* Releases every entry and leaves an empty list that may be finalized again. */
void OLVAN_DravixProperties_finalize(OLVAN_DravixProperties *self);

/* Data objects, read at run time: never compile their values into the bridge. */
extern const OLVAN_DravixProperty OLVAN_DRAVIX_PROPERTY_DEFAULT;
extern const int32_t OLVAN_DRAVIX_LOG_VERBOSITY_SILENT;
extern const int32_t OLVAN_DRAVIX_LOG_VERBOSITY_EXCEPTIONS;
extern const int32_t OLVAN_DRAVIX_LOG_VERBOSITY_WARNINGS;
extern const int32_t OLVAN_DRAVIX_LOG_VERBOSITY_INFO;

#ifdef __cplusplus
}
#endif

#endif

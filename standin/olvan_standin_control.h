/*
 * Test controls of the stand-in service and middleware libraries. Only tests
 * include this; the bridge never sees it. Counters and injections are global
 * to the process and thread-safe.
 */
#ifndef OLVAN_STANDIN_CONTROL_H
#define OLVAN_STANDIN_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- libolvandds.so ---- */

/* Clears injections and call counters; the ledger of live strings stays. */
void olvan_dds_control_reset(void);
/* The n-th DDS_String_dup from now (1-based) returns null; 0 disarms. */
void olvan_dds_fail_dup_at(long n);
long olvan_dds_dup_calls(void);
/* Calls of DDS_String_free with a non-null pointer. */
long olvan_dds_free_calls(void);
/* Strings made by DDS_String_dup and not yet freed. */
long olvan_dds_live_strings(void);
/* Frees of pointers that were not live (double or foreign); never passed to free(). */
long olvan_dds_bad_frees(void);

/* ---- libolvandravix.so ---- */

/* Clears injections, call counters (bad text frees and dead service calls too) and the last-call records; live services and texts stay. */
void olvan_dravix_control_reset(void);
/* Calls of the named export since reset, e.g. "OLVAN_Dravix_start"; -1 for an unknown name. */
long olvan_dravix_calls(const char *function_name);
/* While on, OLVAN_Dravix_new returns null. */
void olvan_dravix_fail_new(int on);
/*
 * For OLVAN_Dravix_start, _stop, _create_entity and _delete_entity: while set,
 * the function does nothing and returns exactly (unsigned char)value; -1 clears.
 */
void olvan_dravix_force_result(const char *function_name, int value);
/*
 * Failures by export name, for OLVAN_Dravix_new, _start, _stop, _create_entity,
 * _delete_entity and _get_configuration: the next call only, or every call while
 * on. A failing call reports failure as the library does (null, or 0) and
 * changes nothing. 1 when the name is one of those, else 0.
 */
int olvan_dravix_fail_next(const char *function_name);
int olvan_dravix_fail_always(const char *function_name, int on);
/* While on, OLVAN_Dravix_get_configuration returns null. */
void olvan_dravix_fail_get_configuration(int on);
/* The n-th OLVAN_DravixProperties_add from now returns 0 and adds nothing; 0 disarms. */
void olvan_dravix_fail_add_at(long n);
/* Configuration texts handed out and not yet freed. */
long olvan_dravix_live_texts(void);
/* Calls of OLVAN_Dravix_free_string with a pointer that was not a live text (not freed). */
long olvan_dravix_bad_text_frees(void);
long olvan_dravix_live_services(void);
/*
 * Calls that named a service which was not live (deleted, being deleted, or
 * never made; null not counted), plus deletes that overlapped a call still
 * running on the same service. The stand-in refuses such calls instead of
 * touching freed memory; the real library would not. Cleared by reset.
 */
long olvan_dravix_dead_service_calls(void);
/* Copies the 256 bytes of the last record given to OLVAN_Dravix_new: 1, or 0 if it was null or none since reset. */
int olvan_dravix_last_record(unsigned char out[256]);
/* Copies of the arguments of the last OLVAN_Dravix_create_entity (null when that argument was null, no call since reset, or no memory); the caller releases each with olvan_dravix_free_copy. */
char *olvan_dravix_last_entity_name(void);
char *olvan_dravix_last_entity_file_name(void);
char *olvan_dravix_last_entity_text(void);
void olvan_dravix_free_copy(char *copy);
/* 0 created, 1 started, 2 stopped; -1 for a pointer that is not a live service. */
int olvan_dravix_service_state(void *service);

/*
 * What each live service was given and holds, for test kits: the callbacks are
 * called for each live service in the order the services were made, with the
 * service locked, and must not call the library. Texts are null when the service
 * got null; they are the bytes the service received. Numbers are named as the
 * record's fields. Entities come in the order they were created, each with a
 * sequence number that orders the entities of all services.
 */
typedef struct olvan_dravix_service_visitor {
    void *context;
    void (*service)(void *context, unsigned long long made, int state); /* made: creation order */
    void (*text)(void *context, const char *field, const char *value);
    void (*number)(void *context, const char *field, long value);
    void (*cfg_string)(void *context, const char *value);
    void (*variable)(void *context, const char *name, const char *value);
    void (*entity)(void *context, unsigned long long sequence, const char *name, const char *file_name,
                   const char *configuration);
} olvan_dravix_service_visitor;
void olvan_dravix_visit_services(const olvan_dravix_service_visitor *visitor);

#ifdef __cplusplus
}
#endif

#endif

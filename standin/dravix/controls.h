/*
 * Counters, injected failures and last-call records of the service stand-in.
 * Every export reports itself here first, so a test can tell what the bridge
 * called and with which arguments, and can make any call fail on demand.
 */
#ifndef OLVAN_STANDIN_DRAVIX_CONTROLS_H
#define OLVAN_STANDIN_DRAVIX_CONTROLS_H

#include "engine/olvan_dravix.h"

namespace olvan_standin {

enum class Export {
    New,
    Delete,
    Start,
    Stop,
    CreateEntity,
    DeleteEntity,
    GetConfiguration,
    FreeString,
    PropertiesAdd,
    PropertiesFinalize,
    Count
};

void count_call(Export which);
// A call on a service that is not live, or a delete that overlapped a call.
void count_dead_service_call();
// A configuration text freed that was not live (double or foreign free).
void count_bad_text_free();
// The result forced on start, stop, create_entity or delete_entity, or -1.
int forced_result(Export which);
bool new_fails();
bool get_configuration_fails();
// Consumes one add; true for the add chosen to fail.
bool add_fails();

// Snapshots for the test; both copy, since the caller may free its arguments at once.
void remember_record(const OLVAN_DravixProperty *record);
void remember_entity_call(const char *entity_name, const char *file_name, const char *text);

}  // namespace olvan_standin

#endif

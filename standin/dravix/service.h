/*
 * The service object behind the opaque OLVAN_Dravix pointer. Each has its own
 * mutex so that one service may be driven from several threads.
 */
#ifndef OLVAN_STANDIN_DRAVIX_SERVICE_H
#define OLVAN_STANDIN_DRAVIX_SERVICE_H

#include <mutex>

#include "dravix/entity_table.h"
#include "dravix/settings.h"
#include "engine/olvan_dravix.h"

namespace olvan_standin {

enum class ServiceState { Created = 0, Started = 1, Stopped = 2 };

}  // namespace olvan_standin

struct OLVAN_Dravix {
    std::mutex mutex;
    olvan_standin::ServiceState state = olvan_standin::ServiceState::Created;
    olvan_standin::Settings settings;
    olvan_standin::EntityTable entities;
};

#endif

/*
 * The service object behind the opaque OLVAN_Dravix pointer. Each has its own
 * mutex so that one service may be driven from several threads.
 */
#ifndef OLVAN_STANDIN_DRAVIX_SERVICE_H
#define OLVAN_STANDIN_DRAVIX_SERVICE_H

#include <mutex>
#include <utility>
#include <vector>

#include "dravix/controls.h"
#include "dravix/entity_table.h"
#include "dravix/settings.h"
#include "engine/olvan_dravix.h"

namespace olvan_standin {

enum class ServiceState { Created = 0, Started = 1, Stopped = 2 };

// Brackets one export's work on a service. A pointer that is not a live
// service (deleted, or never made) is not touched: the call counts as a call
// on a dead service and must fail. Null is no service and is not counted.
// OLVAN_Dravix_delete counts a delete that overlaps a call in progress the
// same way, then waits for that call before freeing.
class ServiceCall {
public:
    // count_dead: false for a look that may meet a service deleted meanwhile.
    explicit ServiceCall(OLVAN_Dravix *service, bool count_dead = true);
    ~ServiceCall();
    ServiceCall(const ServiceCall &) = delete;
    ServiceCall &operator=(const ServiceCall &) = delete;

    bool live() const { return live_; }

    // The opening every export on a service shares, once it has counted
    // itself: 0 for a dead service or null, the result a test forced, or -1
    // when the export goes on to its own work.
    int opening(Export which) const;

private:
    OLVAN_Dravix *service_;
    bool live_;
};

// The live services with their creation numbers, oldest first. Each may be
// deleted as soon as this returns: enter a ServiceCall before touching one.
std::vector<std::pair<unsigned long long, OLVAN_Dravix *>> live_services_in_creation_order();

}  // namespace olvan_standin

struct OLVAN_Dravix {
    std::mutex mutex;
    olvan_standin::ServiceState state = olvan_standin::ServiceState::Created;
    olvan_standin::Settings settings;
    olvan_standin::EntityTable entities;
};

#endif

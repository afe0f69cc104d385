/* Making, deleting, starting and stopping services. */
#include "dravix/service.h"

#include <new>
#include <utility>

#include "common/pointer_ledger.h"
#include "dravix/controls.h"
#include "olvan_standin_control.h"

using olvan_standin::count_call;
using olvan_standin::Export;
using olvan_standin::forced_result;
using olvan_standin::ServiceState;

namespace {

// Services alive now, so that a double delete is refused rather than a crash
// and so that tests can count leaks.
olvan_standin::PointerLedger &live_services() {
    static auto *ledger = new olvan_standin::PointerLedger();
    return *ledger;
}

}  // namespace

extern "C" OLVAN_Dravix *OLVAN_Dravix_new(const OLVAN_DravixProperty *property) {
    count_call(Export::New);
    olvan_standin::remember_record(property);
    if (olvan_standin::new_fails()) {
        return nullptr;
    }
    const OLVAN_DravixProperty &record = property != nullptr ? *property : OLVAN_DRAVIX_PROPERTY_DEFAULT;
    try {
        auto *service = new OLVAN_Dravix();
        service->settings = olvan_standin::copy_settings(record);
        if (!live_services().add(service)) {
            delete service;
            return nullptr;
        }
        return service;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

extern "C" OLVAN_Boolean OLVAN_Dravix_delete(OLVAN_Dravix *self) {
    count_call(Export::Delete);
    if (self == nullptr || !live_services().remove(self)) {
        return 0;
    }
    {
        // Wait for any call still running on it; a started service is stopped
        // by being destroyed.
        std::lock_guard<std::mutex> lock(self->mutex);
        self->state = ServiceState::Stopped;
    }
    delete self;
    return 1;
}

extern "C" OLVAN_Boolean OLVAN_Dravix_start(OLVAN_Dravix *self) {
    count_call(Export::Start);
    const int forced = forced_result(Export::Start);
    if (forced >= 0) {
        return static_cast<OLVAN_Boolean>(forced);
    }
    if (self == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(self->mutex);
    if (self->state == ServiceState::Started) {
        return 0;
    }
    self->state = ServiceState::Started;
    return 1;
}

extern "C" OLVAN_Boolean OLVAN_Dravix_stop(OLVAN_Dravix *self) {
    count_call(Export::Stop);
    const int forced = forced_result(Export::Stop);
    if (forced >= 0) {
        return static_cast<OLVAN_Boolean>(forced);
    }
    if (self == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(self->mutex);
    if (self->state != ServiceState::Started) {
        return 0;
    }
    self->state = ServiceState::Stopped;
    return 1;
}

extern "C" long olvan_dravix_live_services(void) { return live_services().live(); }

extern "C" int olvan_dravix_service_state(void *service) {
    auto *self = static_cast<OLVAN_Dravix *>(service);
    if (self == nullptr || !live_services().contains(self)) {
        return -1;
    }
    std::lock_guard<std::mutex> lock(self->mutex);
    return static_cast<int>(self->state);
}

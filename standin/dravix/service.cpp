/* Making, deleting, starting and stopping services. */
#include "dravix/service.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dravix/controls.h"
#include "olvan_standin_control.h"

using olvan_standin::count_call;
using olvan_standin::Export;
using olvan_standin::forced_result;
using olvan_standin::ServiceState;

namespace {

// Services alive now, each with the number of calls running on it, so that a
// double delete or a call on a deleted service is refused and counted rather
// than a crash, and so that tests can count leaks.
class ServiceRegistry {
public:
    bool add(const OLVAN_Dravix *service) {
        std::lock_guard<std::mutex> lock(mutex_);
        try {
            services_.emplace(service, Entry{0, false, ++made_});
        } catch (const std::bad_alloc &) {
            return false;
        }
        return true;
    }

    // True when the service was live and is now forgotten. From here on calls
    // on it are dead; a delete that overlaps calls in progress is counted,
    // then waits for them to leave, so the stand-in itself never crashes.
    bool remove(const OLVAN_Dravix *service) {
        std::unique_lock<std::mutex> lock(mutex_);
        const auto found = services_.find(service);
        if (found == services_.end() || found->second.deleting) {
            olvan_standin::count_dead_service_call();
            return false;
        }
        found->second.deleting = true;
        if (found->second.in_flight > 0) {
            olvan_standin::count_dead_service_call();
            left_.wait(lock, [&] { return services_.at(service).in_flight == 0; });
        }
        services_.erase(service);
        return true;
    }

    bool enter(const OLVAN_Dravix *service, bool count_dead) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = services_.find(service);
        if (found == services_.end() || found->second.deleting) {
            if (count_dead) {
                olvan_standin::count_dead_service_call();
            }
            return false;
        }
        ++found->second.in_flight;
        return true;
    }

    void leave(const OLVAN_Dravix *service) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (--services_.at(service).in_flight == 0) {
            left_.notify_all();
        }
    }

    bool contains(const OLVAN_Dravix *service) const {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = services_.find(service);
        return found != services_.end() && !found->second.deleting;
    }

    long live() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<long>(services_.size());
    }

    // The live services with their creation numbers, oldest first.
    std::vector<std::pair<unsigned long long, OLVAN_Dravix *>> in_creation_order() const {
        std::vector<std::pair<unsigned long long, OLVAN_Dravix *>> made;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const auto &entry : services_) {
                if (!entry.second.deleting) {
                    made.emplace_back(entry.second.made, const_cast<OLVAN_Dravix *>(entry.first));
                }
            }
        }
        std::sort(made.begin(), made.end());
        return made;
    }

private:
    struct Entry {
        long in_flight = 0;
        bool deleting = false;
        unsigned long long made = 0;  // creation order
    };

    mutable std::mutex mutex_;
    std::condition_variable left_;
    std::unordered_map<const OLVAN_Dravix *, Entry> services_;
    unsigned long long made_ = 0;
};

ServiceRegistry &live_services() {
    // Never destroyed: a JVM may still delete services on its exit path.
    static auto *registry = new ServiceRegistry();
    return *registry;
}

#if OLVAN_STANDIN_SAYS_WHAT_IT_IS
// What this library is, where an installation check looks for a library's
// own word on itself (a section of that name, NUL-terminated UTF-8). The
// stand-in built as a product's library says nothing, as a product does not.
[[gnu::section("olvan_dravix_about"), gnu::used]] const char kAbout[] = "the stand-in for tests, not the product";
#endif

}  // namespace

namespace olvan_standin {

ServiceCall::ServiceCall(OLVAN_Dravix *service, bool count_dead)
    : service_(service), live_(service != nullptr && live_services().enter(service, count_dead)) {}

ServiceCall::~ServiceCall() {
    if (live_) {
        live_services().leave(service_);
    }
}

int ServiceCall::opening(Export which) const {
    if (service_ != nullptr && !live_) {
        return 0;
    }
    const int forced = forced_result(which);
    if (forced >= 0) {
        return forced;
    }
    return service_ == nullptr ? 0 : -1;
}

std::vector<std::pair<unsigned long long, OLVAN_Dravix *>> live_services_in_creation_order() {
    return live_services().in_creation_order();
}

}  // namespace olvan_standin

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
        // A started service is stopped by being destroyed.
        std::lock_guard<std::mutex> lock(self->mutex);
        self->state = ServiceState::Stopped;
    }
    delete self;
    return 1;
}

namespace {

// Start and stop: a service starts unless it is started already, and stops
// only when it is started.
OLVAN_Boolean change_state(OLVAN_Dravix *self, Export which, ServiceState to) {
    count_call(which);
    const olvan_standin::ServiceCall call(self);
    if (const int result = call.opening(which); result >= 0) {
        return static_cast<OLVAN_Boolean>(result);
    }
    std::lock_guard<std::mutex> lock(self->mutex);
    const bool started = self->state == ServiceState::Started;
    if (to == ServiceState::Started ? started : !started) {
        return 0;
    }
    self->state = to;
    return 1;
}

}  // namespace

extern "C" OLVAN_Boolean OLVAN_Dravix_start(OLVAN_Dravix *self) {
    return change_state(self, Export::Start, ServiceState::Started);
}

extern "C" OLVAN_Boolean OLVAN_Dravix_stop(OLVAN_Dravix *self) {
    return change_state(self, Export::Stop, ServiceState::Stopped);
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

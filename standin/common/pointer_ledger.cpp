#include "common/pointer_ledger.h"

#include <new>

namespace olvan_standin {

bool PointerLedger::add(const void *pointer) {
    std::lock_guard<std::mutex> lock(mutex_);
    try {
        live_.insert(pointer);
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

bool PointerLedger::remove(const void *pointer) {
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.erase(pointer) == 1;
}

bool PointerLedger::contains(const void *pointer) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.count(pointer) == 1;
}

long PointerLedger::live() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<long>(live_.size());
}

}  // namespace olvan_standin

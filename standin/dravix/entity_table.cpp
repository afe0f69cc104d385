#include "dravix/entity_table.h"

#include <atomic>
#include <utility>

namespace olvan_standin {
namespace {
std::atomic<unsigned long long> entities_made{0};
}  // namespace

bool EntityTable::add(Entity entity) {
    if (by_name_.count(entity.name) != 0) {
        return false;
    }
    entity.sequence = ++entities_made;
    order_.push_back(std::move(entity));
    const auto node = std::prev(order_.end());
    try {
        by_name_.emplace(node->name, node);
    } catch (...) {
        order_.pop_back();
        throw;
    }
    return true;
}

bool EntityTable::remove(std::string_view name) {
    const auto found = by_name_.find(name);
    if (found == by_name_.end()) {
        return false;
    }
    const auto node = found->second;
    // Drop the view before the string it points into.
    by_name_.erase(found);
    order_.erase(node);
    return true;
}

}  // namespace olvan_standin

/*
 * A service's entities: found by name in constant time, listed in creation
 * order. Names can be megabytes long, so each is stored once (the index
 * holds views into the list nodes, which never move).
 */
#ifndef OLVAN_STANDIN_DRAVIX_ENTITY_TABLE_H
#define OLVAN_STANDIN_DRAVIX_ENTITY_TABLE_H

#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "dravix/settings.h"

namespace olvan_standin {

struct Entity {
    unsigned long long sequence = 0;  // creation order across all services, set by add
    std::string name;
    OptionalText file_name;  // present when the configuration came from a file
    std::string configuration;
};

class EntityTable {
public:
    // False when the name is taken. Throws std::bad_alloc.
    bool add(Entity entity);
    // False when there is no such entity.
    bool remove(std::string_view name);
    const std::list<Entity> &in_creation_order() const { return order_; }

private:
    std::list<Entity> order_;
    std::unordered_map<std::string_view, std::list<Entity>::iterator> by_name_;
};

}  // namespace olvan_standin

#endif

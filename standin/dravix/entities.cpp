/* Creating and deleting entities by name. */
#include <new>
#include <string>
#include <utility>

#include "dravix/controls.h"
#include "dravix/entity_file.h"
#include "dravix/service.h"

using olvan_standin::count_call;
using olvan_standin::Export;

extern "C" OLVAN_Boolean OLVAN_Dravix_create_entity(OLVAN_Dravix *self, const char *entity_name,
                                                    const char *file_name, const char *text) {
    count_call(Export::CreateEntity);
    olvan_standin::remember_entity_call(entity_name, file_name, text);
    const olvan_standin::ServiceCall call(self);
    if (const int result = call.opening(Export::CreateEntity); result >= 0) {
        return static_cast<OLVAN_Boolean>(result);
    }
    // Exactly one source, and a non-empty name.
    if (entity_name == nullptr || entity_name[0] == '\0' || (file_name == nullptr) == (text == nullptr)) {
        return 0;
    }
    try {
        olvan_standin::Entity entity;
        entity.name.assign(entity_name);
        if (file_name != nullptr) {
            entity.file_name = olvan_standin::copy_text(file_name);
            // Read outside the lock: a large file must not stall other calls on the service.
            if (!olvan_standin::read_whole_file(file_name, entity.configuration)) {
                return 0;
            }
        } else {
            entity.configuration.assign(text);
        }
        if (entity.configuration.empty()) {
            return 0;
        }
        std::lock_guard<std::mutex> lock(self->mutex);
        return self->entities.add(std::move(entity)) ? 1 : 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

extern "C" OLVAN_Boolean OLVAN_Dravix_delete_entity(OLVAN_Dravix *self, const char *entity_name) {
    count_call(Export::DeleteEntity);
    const olvan_standin::ServiceCall call(self);
    if (const int result = call.opening(Export::DeleteEntity); result >= 0) {
        return static_cast<OLVAN_Boolean>(result);
    }
    if (entity_name == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(self->mutex);
    return self->entities.remove(entity_name) ? 1 : 0;
}

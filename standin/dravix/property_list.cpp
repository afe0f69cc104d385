/*
 * The user environment list of a record. The list has no capacity field, so
 * the capacity is implied by the count: 0 for an empty list, otherwise the
 * next power of two of at least 4. The array is reallocated exactly when the
 * count reaches it, which keeps appends amortised constant and lets any list
 * built only by these functions be grown again.
 * Byte 12 and the three after it belong to the list's owner: never touched.
 */
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "dravix/controls.h"
#include "engine/olvan_dravix.h"

using olvan_standin::count_call;
using olvan_standin::Export;

namespace {

constexpr int32_t kFirstCapacity = 4;

bool is_full(int32_t count) {
    if (count == 0) {
        return true;
    }
    return count >= kFirstCapacity && (count & (count - 1)) == 0;
}

// The library's own allocation: these are not middleware strings.
char *copy_string(const char *text) {
    const size_t size = std::strlen(text) + 1;
    char *copy = static_cast<char *>(std::malloc(size));
    if (copy != nullptr) {
        std::memcpy(copy, text, size);
    }
    return copy;
}

bool grow(OLVAN_DravixProperties &list) {
    const int32_t capacity = list.count == 0 ? kFirstCapacity : list.count * 2;
    void *bigger = std::realloc(list.entries, static_cast<size_t>(capacity) * sizeof(OLVAN_DravixPropertyEntry));
    if (bigger == nullptr) {
        return false;
    }
    list.entries = static_cast<OLVAN_DravixPropertyEntry *>(bigger);
    return true;
}

}  // namespace

extern "C" OLVAN_Boolean OLVAN_DravixProperties_add(OLVAN_DravixProperties *self,
                                                                         const char *name,
                                                                         const char *value) {
    count_call(Export::PropertiesAdd);
    if (olvan_standin::add_fails()) {
        return 0;
    }
    if (self == nullptr || name == nullptr || self->count < 0 ||
        self->count > std::numeric_limits<int32_t>::max() / 2) {
        return 0;
    }
    char *name_copy = copy_string(name);
    char *value_copy = value != nullptr ? copy_string(value) : nullptr;
    if (name_copy == nullptr || (value != nullptr && value_copy == nullptr) || (is_full(self->count) && !grow(*self))) {
        std::free(name_copy);
        std::free(value_copy);
        return 0;
    }
    self->entries[self->count] = OLVAN_DravixPropertyEntry{name_copy, value_copy};
    ++self->count;
    return 1;
}

extern "C" void OLVAN_DravixProperties_finalize(OLVAN_DravixProperties *self) {
    count_call(Export::PropertiesFinalize);
    if (self == nullptr) {
        return;
    }
    for (int32_t i = 0; i < self->count; ++i) {
        std::free(self->entries[i].name);
        std::free(self->entries[i].value);
    }
    std::free(self->entries);
    self->entries = nullptr;
    self->count = 0;
}

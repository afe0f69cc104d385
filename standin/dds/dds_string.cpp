/* The two middleware string functions, made countable and fault-injectable. */
#include <cstdlib>
#include <cstring>

#include "dds/dds_controls.h"
#include "engine/dds_string.h"

using olvan_standin::dds_controls;
using olvan_standin::dds_ledger;

extern "C" char *DDS_String_dup(const char *text) {
    dds_controls().dup_calls.fetch_add(1, std::memory_order_relaxed);
    if (dds_controls().fail_dup.fires() || text == nullptr) {
        return nullptr;
    }
    const std::size_t size = std::strlen(text) + 1;
    char *copy = static_cast<char *>(std::malloc(size));
    if (copy == nullptr) {
        return nullptr;
    }
    std::memcpy(copy, text, size);
    if (!dds_ledger().add(copy)) {
        std::free(copy);
        return nullptr;
    }
    return copy;
}

extern "C" void DDS_String_free(char *text) {
    if (text == nullptr) {
        return;
    }
    dds_controls().free_calls.fetch_add(1, std::memory_order_relaxed);
    if (dds_ledger().remove(text)) {
        std::free(text);
    } else {
        // A double or foreign free: remembered for the test, never passed to free().
        dds_controls().bad_frees.fetch_add(1, std::memory_order_relaxed);
    }
}

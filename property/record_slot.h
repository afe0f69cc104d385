// A field of the native property record by its offset, for the tables that
// walk the record field by field.
#ifndef OLVAN_PROPERTY_RECORD_SLOT_H
#define OLVAN_PROPERTY_RECORD_SLOT_H

#include <cstddef>

#include "engine/property_record.h"

#define OLVAN_SLOT(field) offsetof(OLVAN_DravixProperty, field)

namespace olvan {

template <typename T>
T *slot(OLVAN_DravixProperty *record, size_t offset) {
    return reinterpret_cast<T *>(reinterpret_cast<unsigned char *>(record) + offset);
}

template <typename T>
const T &slot(const OLVAN_DravixProperty &record, size_t offset) {
    return *reinterpret_cast<const T *>(reinterpret_cast<const unsigned char *>(&record) + offset);
}

}  // namespace olvan

#endif

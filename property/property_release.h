// Releasing what a native property record owns.
#ifndef OLVAN_PROPERTY_PROPERTY_RELEASE_H
#define OLVAN_PROPERTY_PROPERTY_RELEASE_H

#include "engine/property_record.h"

namespace olvan {

// Frees the first count entries of the cfg_strings array and the array itself,
// and leaves the record with no array and a zero count.
void release_cfg_strings(OLVAN_DravixProperty *record);

}  // namespace olvan

#endif

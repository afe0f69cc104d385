// The strings a native property record owns: its string slots and its
// configuration-string array. They are released here and nowhere else: when
// a copy takes a string's place, when a new array replaces the old one, and
// when the record goes.
#ifndef OLVAN_PROPERTY_RECORD_STRINGS_H
#define OLVAN_PROPERTY_RECORD_STRINGS_H

#include <jni.h>

#include "engine/property_record.h"

namespace olvan {

// Puts text (a middleware string, or null) in the slot and releases the
// string it held, rather than leak it when a record is converted again.
void replace_string_slot(char **slot, char *text);

// Frees the first count entries of the cfg_strings array and the array itself,
// and leaves the record with no array and a zero count.
void release_cfg_strings(OLVAN_DravixProperty *record);

// Releases every string the record holds, its array included.
void release_record_strings(OLVAN_DravixProperty *record);

}  // namespace olvan

// Copies the String field of object into *slot. A null field leaves the slot
// as it is and succeeds. Otherwise the slot's previous string is released and
// replaced by the copy; if no copy can be made the slot is left null,
// OutOfResourcesException is raised and false returned.
bool OLVAN_copy_java_string(JNIEnv *env, jobject object, jfieldID field, char **slot);

#endif

// Turning the java.util.Properties of the user environment into the record's
// user environment list.
#ifndef OLVAN_PROPERTY_USER_ENVIRONMENT_H
#define OLVAN_PROPERTY_USER_ENVIRONMENT_H

#include <jni.h>

#include "engine/property_record.h"

namespace olvan {

// Converts the Properties held in field of object into list. Returns false
// with an exception pending when the conversion stopped early.
bool convert_user_environment(JNIEnv *env, jobject object, jfieldID field, OLVAN_DravixProperties *list);

}  // namespace olvan

#endif

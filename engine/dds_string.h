/*
 * The two middleware string functions the bridge uses. Every string the bridge
 * stores in a record or hands to the service library is made and released by
 * these, never by malloc/free.
 */
#ifndef OLVAN_ENGINE_DDS_STRING_H
#define OLVAN_ENGINE_DDS_STRING_H

#ifdef __cplusplus
extern "C" {
#endif

/* A new copy of text, or null when memory is exhausted. */
char *DDS_String_dup(const char *text);
/* Releases a string from DDS_String_dup; null is accepted. */
void DDS_String_free(char *text);

#ifdef __cplusplus
}
#endif

#endif

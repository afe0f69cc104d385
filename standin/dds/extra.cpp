/*
 * A middleware library beside the one the bridge needs, as a product ships
 * several: it defines DDS_String_dup but not DDS_String_free, so a build that
 * picks the string library by one symbol, or by file name, picks wrongly.
 */
#include <cstdlib>
#include <cstring>

extern "C" __attribute__((visibility("default"))) char *DDS_String_dup(const char *text) {
    if (text == nullptr) {
        return nullptr;
    }
    const size_t size = std::strlen(text) + 1;
    char *copy = static_cast<char *>(std::malloc(size));
    if (copy != nullptr) {
        std::memcpy(copy, text, size);
    }
    return copy;
}

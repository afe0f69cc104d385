/* Reading an entity's configuration from a file, as the stand-in's only file access. */
#ifndef OLVAN_STANDIN_DRAVIX_ENTITY_FILE_H
#define OLVAN_STANDIN_DRAVIX_ENTITY_FILE_H

#include <string>

namespace olvan_standin {

// The whole file, byte for byte; false when it cannot be opened or read.
// Throws std::bad_alloc.
bool read_whole_file(const char *file_name, std::string &content);

}  // namespace olvan_standin

#endif

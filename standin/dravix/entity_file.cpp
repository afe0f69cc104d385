#include "dravix/entity_file.h"

#include <cstdio>
#include <memory>

namespace olvan_standin {

bool read_whole_file(const char *file_name, std::string &content) {
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(file_name, "rb"), &std::fclose);
    if (!file) {
        return false;
    }
    content.clear();
    // Chunked rather than sized up front, so pipes and /proc files work too;
    // std::string grows geometrically, keeping this linear.
    char chunk[64 * 1024];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        content.append(chunk, got);
        if (got < sizeof chunk) {
            break;
        }
    }
    // A directory opens but fails to read: that is an unreadable file.
    return std::ferror(file.get()) == 0;
}

}  // namespace olvan_standin

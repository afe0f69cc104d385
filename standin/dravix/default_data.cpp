/*
 * The data objects the bridge reads at run time. The default record is built
 * by a constexpr function so that it is a constant in read-only memory, ready
 * before any code of any library runs.
 */
#include "engine/olvan_dravix.h"

namespace {

// Recognisable, so tests can prove the bridge carries the library's bytes over.
constexpr uint8_t kLibraryByte = 0xA5;

template <size_t N>
constexpr void fill_library_bytes(uint8_t (&bytes)[N]) {
    for (size_t i = 0; i < N; ++i) {
        bytes[i] = kLibraryByte;
    }
}

// Bit-mask style: each level includes the ones below it. Java's constants
// (DravixProperty.LOG_VERBOSITY_*) are these numbers and are passed unchanged.
// A build may give other levels (OLVAN_STANDIN_VERBOSITY_LEVELS in CMake), to
// stand for a product that disagrees with the Java side.
#ifndef OLVAN_STANDIN_LEVEL_SILENT
#define OLVAN_STANDIN_LEVEL_SILENT 0
#define OLVAN_STANDIN_LEVEL_EXCEPTIONS 1
#define OLVAN_STANDIN_LEVEL_WARNINGS 3
#define OLVAN_STANDIN_LEVEL_INFO 7
#endif
// The default record's level, whatever the constants: 3, as the record every
// self-check case starts from.
constexpr int32_t kWarnings = 3;

constexpr OLVAN_DravixProperty make_default() {
    OLVAN_DravixProperty p{};
    fill_library_bytes(p.library_bytes_20);
    fill_library_bytes(p.library_bytes_41);
    fill_library_bytes(p.library_bytes_66);
    fill_library_bytes(p.library_bytes_73);
    fill_library_bytes(p.library_bytes_80);
    fill_library_bytes(p.library_bytes_90);
    fill_library_bytes(p.library_bytes_228);
    p.enforce_xsd_validation = 1;
    p.service_verbosity = kWarnings;
    p.dds_verbosity = kWarnings;
    p.user_environment.library_flag = 1;
    return p;
}

}  // namespace

extern "C" {

const OLVAN_DravixProperty OLVAN_DRAVIX_PROPERTY_DEFAULT = make_default();
const int32_t OLVAN_DRAVIX_LOG_VERBOSITY_SILENT = OLVAN_STANDIN_LEVEL_SILENT;
const int32_t OLVAN_DRAVIX_LOG_VERBOSITY_EXCEPTIONS = OLVAN_STANDIN_LEVEL_EXCEPTIONS;
const int32_t OLVAN_DRAVIX_LOG_VERBOSITY_WARNINGS = OLVAN_STANDIN_LEVEL_WARNINGS;
const int32_t OLVAN_DRAVIX_LOG_VERBOSITY_INFO = OLVAN_STANDIN_LEVEL_INFO;

}

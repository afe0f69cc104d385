/*
 * What a service keeps from the record it was made with. Everything is
 * copied: the bridge frees the record and its strings right after
 * OLVAN_Dravix_new returns.
 */
#ifndef OLVAN_STANDIN_DRAVIX_SETTINGS_H
#define OLVAN_STANDIN_DRAVIX_SETTINGS_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/property_record.h"

namespace olvan_standin {

// A C string that may have been null; null and empty must stay distinguishable
// in the configuration text.
struct OptionalText {
    bool present = false;
    std::string text;
};

OptionalText copy_text(const char *text);

struct Settings {
    OptionalText cfg_file;
    std::vector<OptionalText> cfg_strings;
    OptionalText service_name;
    OptionalText application_name;
    uint8_t enforce_xsd_validation = 0;
    int32_t service_verbosity = 0;
    int32_t dds_verbosity = 0;
    int32_t domain_id_base = 0;
    OptionalText plugin_search_path;
    uint8_t dont_start_service = 0;
    uint8_t enable_administration = 0;
    int32_t administration_domain_id = 0;
    uint8_t enable_monitoring = 0;
    int32_t monitoring_domain_id = 0;
    uint8_t skip_default_files = 0;
    uint8_t identify_execution = 0;
    int32_t registered_transports_count = 0;
    std::vector<std::pair<OptionalText, OptionalText>> user_environment;
};

// Throws std::bad_alloc; the caller turns that into a null service.
Settings copy_settings(const OLVAN_DravixProperty &record);

}  // namespace olvan_standin

#endif

#include "dravix/settings.h"

namespace olvan_standin {

OptionalText copy_text(const char *text) {
    OptionalText copy;
    if (text != nullptr) {
        copy.present = true;
        copy.text.assign(text);
    }
    return copy;
}

Settings copy_settings(const OLVAN_DravixProperty &record) {
    Settings s;
    s.cfg_file = copy_text(record.cfg_file);
    // A count that is zero or negative means no strings, whatever the pointer.
    if (record.cfg_strings != nullptr && record.cfg_strings_count > 0) {
        s.cfg_strings.reserve(static_cast<size_t>(record.cfg_strings_count));
        for (int32_t i = 0; i < record.cfg_strings_count; ++i) {
            s.cfg_strings.push_back(copy_text(record.cfg_strings[i]));
        }
    }
    s.service_name = copy_text(record.service_name);
    s.application_name = copy_text(record.application_name);
    s.enforce_xsd_validation = record.enforce_xsd_validation;
    s.service_verbosity = record.service_verbosity;
    s.dds_verbosity = record.dds_verbosity;
    s.domain_id_base = record.domain_id_base;
    s.plugin_search_path = copy_text(record.plugin_search_path);
    s.dont_start_service = record.dont_start_service;
    s.enable_administration = record.enable_administration;
    s.administration_domain_id = record.administration_domain_id;
    s.enable_monitoring = record.enable_monitoring;
    s.monitoring_domain_id = record.monitoring_domain_id;
    s.skip_default_files = record.skip_default_files;
    s.identify_execution = record.identify_execution;
    s.registered_transports_count = record.registered_transports_count;

    const OLVAN_DravixProperties &env = record.user_environment;
    if (env.entries != nullptr && env.count > 0) {
        s.user_environment.reserve(static_cast<size_t>(env.count));
        for (int32_t i = 0; i < env.count; ++i) {
            s.user_environment.emplace_back(copy_text(env.entries[i].name), copy_text(env.entries[i].value));
        }
    }
    return s;
}

}  // namespace olvan_standin

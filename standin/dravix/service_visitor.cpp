/* What each live service holds, shown to a test kit through callbacks. */
#include <utility>

#include "dravix/service.h"
#include "olvan_standin_control.h"

namespace {

using olvan_standin::OptionalText;

const char *text_of(const OptionalText &value) { return value.present ? value.text.c_str() : nullptr; }

void visit(const olvan_dravix_service_visitor &v, unsigned long long made, const OLVAN_Dravix &service) {
    const olvan_standin::Settings &s = service.settings;
    v.service(v.context, made, static_cast<int>(service.state));
    const std::pair<const char *, const OptionalText *> texts[] = {
        {"cfg_file", &s.cfg_file},
        {"service_name", &s.service_name},
        {"application_name", &s.application_name},
        {"plugin_search_path", &s.plugin_search_path},
    };
    for (const auto &text : texts) {
        v.text(v.context, text.first, text_of(*text.second));
    }
    // In the record's order; the Java side reads them by place.
    const std::pair<const char *, long> numbers[] = {
        {"enforce_xsd_validation", s.enforce_xsd_validation}, {"service_verbosity", s.service_verbosity},
        {"dds_verbosity", s.dds_verbosity}, {"domain_id_base", s.domain_id_base},
        {"dont_start_service", s.dont_start_service}, {"enable_administration", s.enable_administration},
        {"administration_domain_id", s.administration_domain_id}, {"enable_monitoring", s.enable_monitoring},
        {"monitoring_domain_id", s.monitoring_domain_id}, {"skip_default_files", s.skip_default_files},
        {"identify_execution", s.identify_execution},
        {"registered_transports_count", s.registered_transports_count},
    };
    for (const auto &number : numbers) {
        v.number(v.context, number.first, number.second);
    }
    for (const OptionalText &text : s.cfg_strings) {
        v.cfg_string(v.context, text_of(text));
    }
    for (const auto &variable : s.user_environment) {
        v.variable(v.context, text_of(variable.first), text_of(variable.second));
    }
    for (const olvan_standin::Entity &entity : service.entities.in_creation_order()) {
        v.entity(v.context, entity.sequence, entity.name.c_str(), text_of(entity.file_name),
                 entity.configuration.c_str());
    }
}

}  // namespace

extern "C" void olvan_dravix_visit_services(const olvan_dravix_service_visitor *visitor) {
    if (visitor == nullptr) {
        return;
    }
    for (const auto &[made, service] : olvan_standin::live_services_in_creation_order()) {
        // A service deleted meanwhile is skipped; one being visited cannot be deleted.
        const olvan_standin::ServiceCall call(service, false);
        if (!call.live()) {
            continue;
        }
        std::lock_guard<std::mutex> lock(service->mutex);
        visit(*visitor, made, *service);
    }
}

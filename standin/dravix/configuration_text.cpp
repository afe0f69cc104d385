#include "dravix/configuration_text.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace olvan_standin {
namespace {

// The text is rendered twice: once to measure, once into a buffer of the
// exact size. Linear in the output, and a 64 MiB entity is copied only once.
class Sink {
public:
    explicit Sink(char *buffer) : buffer_(buffer) {}

    void put(std::string_view bytes) {
        if (buffer_ != nullptr) {
            std::memcpy(buffer_ + size_, bytes.data(), bytes.size());
        }
        size_ += bytes.size();
    }

    void put_number(long long value) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        put(std::string_view(digits, static_cast<size_t>(end - digits)));
    }

    size_t size() const { return size_; }

private:
    char *buffer_;
    size_t size_ = 0;
};

void put_text(Sink &out, std::string_view indent, std::string_view tag, const OptionalText &value) {
    out.put(indent);
    out.put("<");
    out.put(tag);
    if (!value.present) {
        out.put(" null=\"true\"/>\n");
        return;
    }
    out.put(">");
    out.put(value.text);
    out.put("</");
    out.put(tag);
    out.put(">\n");
}

void put_number(Sink &out, std::string_view tag, long long value) {
    out.put("    <");
    out.put(tag);
    out.put(">");
    out.put_number(value);
    out.put("</");
    out.put(tag);
    out.put(">\n");
}

const char *state_name(ServiceState state) {
    switch (state) {
    case ServiceState::Created:
        return "created";
    case ServiceState::Started:
        return "started";
    case ServiceState::Stopped:
        return "stopped";
    }
    return "unknown";
}

void put_settings(Sink &out, const Settings &s) {
    out.put("  <settings>\n");
    put_text(out, "    ", "cfg_file", s.cfg_file);
    out.put("    <cfg_strings count=\"");
    out.put_number(static_cast<long long>(s.cfg_strings.size()));
    out.put("\">\n");
    for (const OptionalText &text : s.cfg_strings) {
        put_text(out, "      ", "cfg_string", text);
    }
    out.put("    </cfg_strings>\n");
    put_text(out, "    ", "service_name", s.service_name);
    put_text(out, "    ", "application_name", s.application_name);
    put_number(out, "enforce_xsd_validation", s.enforce_xsd_validation);
    put_number(out, "service_verbosity", s.service_verbosity);
    put_number(out, "dds_verbosity", s.dds_verbosity);
    put_number(out, "domain_id_base", s.domain_id_base);
    put_text(out, "    ", "plugin_search_path", s.plugin_search_path);
    put_number(out, "dont_start_service", s.dont_start_service);
    put_number(out, "enable_administration", s.enable_administration);
    put_number(out, "administration_domain_id", s.administration_domain_id);
    put_number(out, "enable_monitoring", s.enable_monitoring);
    put_number(out, "monitoring_domain_id", s.monitoring_domain_id);
    put_number(out, "skip_default_files", s.skip_default_files);
    put_number(out, "identify_execution", s.identify_execution);
    put_number(out, "registered_transports_count", s.registered_transports_count);
    out.put("    <user_environment count=\"");
    out.put_number(static_cast<long long>(s.user_environment.size()));
    out.put("\">\n");
    for (const auto &variable : s.user_environment) {
        out.put("      <variable>\n");
        put_text(out, "        ", "name", variable.first);
        put_text(out, "        ", "value", variable.second);
        out.put("      </variable>\n");
    }
    out.put("    </user_environment>\n");
    out.put("  </settings>\n");
}

void put_entities(Sink &out, const EntityTable &entities) {
    const auto &order = entities.in_creation_order();
    out.put("  <entities count=\"");
    out.put_number(static_cast<long long>(order.size()));
    out.put("\">\n");
    for (const Entity &entity : order) {
        out.put("    <entity>\n      <name>");
        out.put(entity.name);
        out.put("</name>\n");
        if (entity.file_name.present) {
            put_text(out, "      ", "file_name", entity.file_name);
        }
        out.put("      <configuration>");
        out.put(entity.configuration);
        out.put("</configuration>\n    </entity>\n");
    }
    out.put("  </entities>\n");
}

void render(Sink &out, const OLVAN_Dravix &service) {
    out.put("<dravix_service state=\"");
    out.put(state_name(service.state));
    out.put("\">\n");
    put_settings(out, service.settings);
    put_entities(out, service.entities);
    out.put("</dravix_service>\n");
}

}  // namespace

char *render_configuration(const OLVAN_Dravix &service) {
    Sink measure(nullptr);
    render(measure, service);
    char *buffer = static_cast<char *>(std::malloc(measure.size() + 1));
    if (buffer == nullptr) {
        return nullptr;
    }
    Sink write(buffer);
    render(write, service);
    buffer[write.size()] = '\0';
    return buffer;
}

}  // namespace olvan_standin

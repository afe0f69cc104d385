#include "dravix/controls.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "common/countdown.h"
#include "olvan_standin_control.h"

namespace olvan_standin {
namespace {

constexpr int kExports = static_cast<int>(Export::Count);

const char *const kExportNames[kExports] = {
    "OLVAN_Dravix_new",
    "OLVAN_Dravix_delete",
    "OLVAN_Dravix_start",
    "OLVAN_Dravix_stop",
    "OLVAN_Dravix_create_entity",
    "OLVAN_Dravix_delete_entity",
    "OLVAN_Dravix_get_configuration",
    "OLVAN_Dravix_free_string",
    "OLVAN_DravixProperties_add",
    "OLVAN_DravixProperties_finalize",
};

// A copied C string argument that remembers whether it was null.
struct Argument {
    bool present = false;
    std::string bytes;

    void set(const char *text) {
        present = text != nullptr;
        if (present) {
            bytes.assign(text);
        } else {
            bytes.clear();
        }
    }
    // A copy made under the caller's lock: another thread's create_entity or
    // a reset may replace the bytes as soon as the lock is released.
    char *copy() const {
        if (!present) {
            return nullptr;
        }
        char *out = static_cast<char *>(std::malloc(bytes.size() + 1));
        if (out != nullptr) {
            std::memcpy(out, bytes.c_str(), bytes.size() + 1);
        }
        return out;
    }
};

struct Controls {
    std::atomic<long> calls[kExports] = {};
    std::atomic<int> forced[kExports] = {};
    std::atomic<long> bad_text_frees{0};
    std::atomic<long> dead_service_calls{0};
    std::atomic<bool> fail_new{false};
    std::atomic<bool> fail_get_configuration{false};
    Countdown fail_add;
    // Failures injected by name: every call, or the next one only.
    std::atomic<bool> fail_always[kExports] = {};
    Countdown fail_next[kExports];

    std::mutex records_mutex;
    bool has_record = false;
    unsigned char record[sizeof(OLVAN_DravixProperty)] = {};
    Argument entity_name;
    Argument entity_file_name;
    Argument entity_text;

    Controls() { clear_forced(); }

    void clear_forced() {
        for (auto &value : forced) {
            value.store(-1);
        }
    }
};

Controls &controls() {
    // Never destroyed: exports may still run from other libraries' exit paths.
    static Controls *instance = new Controls();
    return *instance;
}

int index_of(const char *function_name) {
    if (function_name == nullptr) {
        return -1;
    }
    for (int i = 0; i < kExports; ++i) {
        if (std::strcmp(kExportNames[i], function_name) == 0) {
            return i;
        }
    }
    return -1;
}

// True when a failure injected by name applies to this call of the export.
bool injected_failure(Export which) {
    Controls &c = controls();
    const int index = static_cast<int>(which);
    return c.fail_always[index].load(std::memory_order_relaxed) || c.fail_next[index].fires();
}

// The exports that report success as a boolean: a result can be forced on them.
bool can_be_forced(int index) {
    switch (static_cast<Export>(index)) {
    case Export::Start:
    case Export::Stop:
    case Export::CreateEntity:
    case Export::DeleteEntity:
        return true;
    default:
        return false;
    }
}

// Those, and the two that report failure with null: they can be made to fail.
bool can_fail(int index) {
    const Export which = static_cast<Export>(index);
    return can_be_forced(index) || which == Export::New || which == Export::GetConfiguration;
}

}  // namespace

void count_call(Export which) {
    controls().calls[static_cast<int>(which)].fetch_add(1, std::memory_order_relaxed);
}

void count_bad_text_free() { controls().bad_text_frees.fetch_add(1, std::memory_order_relaxed); }

void count_dead_service_call() { controls().dead_service_calls.fetch_add(1, std::memory_order_relaxed); }

int forced_result(Export which) {
    if (injected_failure(which)) {
        return 0;
    }
    return controls().forced[static_cast<int>(which)].load(std::memory_order_relaxed);
}

bool new_fails() { return controls().fail_new.load(std::memory_order_relaxed) || injected_failure(Export::New); }

bool get_configuration_fails() {
    return controls().fail_get_configuration.load(std::memory_order_relaxed) ||
           injected_failure(Export::GetConfiguration);
}

bool add_fails() { return controls().fail_add.fires(); }

void remember_record(const OLVAN_DravixProperty *record) {
    Controls &c = controls();
    std::lock_guard<std::mutex> lock(c.records_mutex);
    c.has_record = record != nullptr;
    if (record != nullptr) {
        std::memcpy(c.record, record, sizeof c.record);
    }
}

void remember_entity_call(const char *entity_name, const char *file_name, const char *text) {
    Controls &c = controls();
    std::lock_guard<std::mutex> lock(c.records_mutex);
    try {
        c.entity_name.set(entity_name);
        c.entity_file_name.set(file_name);
        c.entity_text.set(text);
    } catch (const std::bad_alloc &) {
        // The snapshot is a test aid; the call itself goes on.
        c.entity_name.set(nullptr);
        c.entity_file_name.set(nullptr);
        c.entity_text.set(nullptr);
    }
}

}  // namespace olvan_standin

using olvan_standin::controls;

extern "C" void olvan_dravix_control_reset(void) {
    auto &c = controls();
    for (auto &count : c.calls) {
        count.store(0);
    }
    c.bad_text_frees.store(0);
    c.dead_service_calls.store(0);
    c.clear_forced();
    c.fail_new.store(false);
    c.fail_get_configuration.store(false);
    c.fail_add.arm(0);
    for (int i = 0; i < olvan_standin::kExports; ++i) {
        c.fail_always[i].store(false);
        c.fail_next[i].arm(0);
    }

    std::lock_guard<std::mutex> lock(c.records_mutex);
    c.has_record = false;
    c.entity_name.set(nullptr);
    c.entity_file_name.set(nullptr);
    c.entity_text.set(nullptr);
    // Give back the memory of a large text, not just its length.
    c.entity_text.bytes.shrink_to_fit();
    c.entity_name.bytes.shrink_to_fit();
}

extern "C" long olvan_dravix_calls(const char *function_name) {
    const int index = olvan_standin::index_of(function_name);
    return index < 0 ? -1 : controls().calls[index].load();
}

extern "C" long olvan_dravix_bad_text_frees(void) { return controls().bad_text_frees.load(); }

extern "C" long olvan_dravix_dead_service_calls(void) { return controls().dead_service_calls.load(); }

extern "C" void olvan_dravix_fail_new(int on) { controls().fail_new.store(on != 0); }

extern "C" void olvan_dravix_force_result(const char *function_name, int value) {
    const int index = olvan_standin::index_of(function_name);
    if (index >= 0 && olvan_standin::can_be_forced(index)) {
        controls().forced[index].store(value < 0 ? -1 : (value & 0xFF));
    }
}

extern "C" int olvan_dravix_fail_next(const char *function_name) {
    const int index = olvan_standin::index_of(function_name);
    if (index < 0 || !olvan_standin::can_fail(index)) {
        return 0;
    }
    controls().fail_next[index].arm(1);
    return 1;
}

extern "C" int olvan_dravix_fail_always(const char *function_name, int on) {
    const int index = olvan_standin::index_of(function_name);
    if (index < 0 || !olvan_standin::can_fail(index)) {
        return 0;
    }
    controls().fail_always[index].store(on != 0);
    return 1;
}

extern "C" void olvan_dravix_fail_get_configuration(int on) {
    controls().fail_get_configuration.store(on != 0);
}

extern "C" void olvan_dravix_fail_add_at(long n) { controls().fail_add.arm(n); }

extern "C" int olvan_dravix_last_record(unsigned char out[256]) {
    auto &c = controls();
    std::lock_guard<std::mutex> lock(c.records_mutex);
    if (!c.has_record || out == nullptr) {
        return 0;
    }
    std::memcpy(out, c.record, sizeof c.record);
    return 1;
}

extern "C" char *olvan_dravix_last_entity_name(void) {
    auto &c = controls();
    std::lock_guard<std::mutex> lock(c.records_mutex);
    return c.entity_name.copy();
}

extern "C" char *olvan_dravix_last_entity_file_name(void) {
    auto &c = controls();
    std::lock_guard<std::mutex> lock(c.records_mutex);
    return c.entity_file_name.copy();
}

extern "C" char *olvan_dravix_last_entity_text(void) {
    auto &c = controls();
    std::lock_guard<std::mutex> lock(c.records_mutex);
    return c.entity_text.copy();
}

extern "C" void olvan_dravix_free_copy(char *copy) { std::free(copy); }

/* Handing out configuration texts and taking them back. */
#include <cstdlib>
#include <mutex>

#include "common/pointer_ledger.h"
#include "dravix/configuration_text.h"
#include "dravix/controls.h"
#include "dravix/service.h"
#include "olvan_standin_control.h"

using olvan_standin::count_call;
using olvan_standin::Export;

namespace {

// Texts handed out and not yet freed: leaks show up as a count, and a double
// free is refused instead of corrupting the heap.
olvan_standin::PointerLedger &live_texts() {
    static auto *ledger = new olvan_standin::PointerLedger();
    return *ledger;
}

}  // namespace

extern "C" char *OLVAN_Dravix_get_configuration(OLVAN_Dravix *self) {
    count_call(Export::GetConfiguration);
    const olvan_standin::ServiceCall call(self);
    if (!call.live() || olvan_standin::get_configuration_fails()) {
        return nullptr;
    }
    char *text = nullptr;
    {
        std::lock_guard<std::mutex> lock(self->mutex);
        text = olvan_standin::render_configuration(*self);
    }
    if (text != nullptr && !live_texts().add(text)) {
        std::free(text);
        return nullptr;
    }
    return text;
}

extern "C" void OLVAN_Dravix_free_string(char *text) {
    count_call(Export::FreeString);
    if (text == nullptr) {
        return;
    }
    if (live_texts().remove(text)) {
        std::free(text);
    } else {
        olvan_standin::count_bad_text_free();
    }
}

extern "C" long olvan_dravix_live_texts(void) { return live_texts().live(); }

/*
 * The text OLVAN_Dravix_get_configuration hands out: a plain XML-like
 * description of the state, every setting and every entity. Texts go in
 * verbatim, unescaped, so a test can find the exact bytes it sent.
 */
#ifndef OLVAN_STANDIN_DRAVIX_CONFIGURATION_TEXT_H
#define OLVAN_STANDIN_DRAVIX_CONFIGURATION_TEXT_H

#include "dravix/service.h"

namespace olvan_standin {

// A malloc'ed NUL-terminated text, or null when memory is short. The caller
// holds the service's mutex.
char *render_configuration(const OLVAN_Dravix &service);

}  // namespace olvan_standin

#endif

// The install payload's table, generated at build time from the files it
// packs (setup/pack_payload.cmake): names and sizes in payload order.
#pragma once

#include "install_rules.h"

extern const install::PayloadEntry kPayloadFiles[];
extern const int kPayloadFileCount;

#pragma once

#include "foundation/cli/SubcommandApplication.h"

// kestrune-archive: packs folders into archives, lists, extracts, checks,
// compacts and writes single entries.
class ArchiveTool : public TAVO::SubcommandApplication {
public:
    ArchiveTool();

    // Exit codes of "check": intact, an error, damaged.
    static constexpr int intact = 0;
    static constexpr int failure = 1;
    static constexpr int damaged = 2;
};

#pragma once
// The result of one long-term search.
#include "foundation/Records.h"

#include <vector>

struct LongTermAnalysis {
    TestDefinition Definition;
    SearchPattern Pattern;
    std::vector<FoundProtocol> Found;   // lower bound 0; element 0 is the empty hit, hits from 1
    ::Statistics Statistics;

    bool operator==(const LongTermAnalysis&) const = default;
};

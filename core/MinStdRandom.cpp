#include "core/MinStdRandom.h"

namespace veldin {

MinStdRandom& ModuleRandom() {
    static MinStdRandom random(MinStdRandom::kModuleSeed);
    return random;
}

} // namespace veldin

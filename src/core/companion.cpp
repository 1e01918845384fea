#include "core/companion.h"

namespace vigilo::companion {

std::string ExecutableName() {
    std::string name;
    for (const char* p = kProductName; *p; ++p)
        if (*p != ' ') name += *p;
    return name + ".exe";
}

}  // namespace vigilo::companion

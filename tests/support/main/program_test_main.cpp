// The entry point of every whole-program test: it runs only inside the
// private Wine prefix, where rewriting Purgeon's settings harms nobody.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/private_wine_prefix.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const std::string refusal = vigilo::test::WhyNotInPrivateWinePrefix();
    if (!refusal.empty()) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        return 2;
    }
    return RUN_ALL_TESTS();
}

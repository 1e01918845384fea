// The entry point of every unit test program: the tests run with the
// registry redirected to scratch keys, and the user's own settings are
// checked to be untouched afterwards.
#include <gtest/gtest.h>

#include "support/user_settings_guard.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new vigilo::test::UserSettingsGuard);
    return RUN_ALL_TESTS();
}

// The headless suites' main: the C library takes its locale from the environment, as the
// programs do, so that a conversion leaking the locale fails here too.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

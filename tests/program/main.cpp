// Runs the main window's tests inside the real application object, offscreen.
#include "app/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    // Program blocks run in a fresh process each, started anew rather than forked.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ortavo::TApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

// Runs the application-layer tests inside the real application object, offscreen.
#include "app/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    ortavo::TApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

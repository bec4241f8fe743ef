// The busy window's start under allocation failures: wherever it fails, the window, its
// controls and the process's runner of long calls are left as they were.
#include "app/BusyWindow.h"

#include "IBX/client/IBBlockingCall.h"
#include "RecordingBoxes.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

using namespace ortavo;

namespace {

// The allocations on this thread that succeed before one fails; -1: none fails.
thread_local int AllocationsBeforeFailure = -1;

} // namespace

void* operator new(std::size_t size) {
    if (AllocationsBeforeFailure == 0) {
        AllocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (AllocationsBeforeFailure > 0)
        --AllocationsBeforeFailure;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

TEST(BusyWindow, AStartThatFailsAnywhereUndoesWhatItChanged) {
    ortavo::testing::ScopedBoxes boxes;
    QWidget window;
    auto* control = new QLineEdit(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int allocations = 0;; ++allocations) {
        bool started = false;
        try {
            AllocationsBeforeFailure = allocations;
            TBusyWindow busy(window, {control});
            AllocationsBeforeFailure = -1;
            started = true;
            EXPECT_FALSE(control->isEnabled());
            const TBlockingCallRunner lent = SetBlockingCallRunner({});
            EXPECT_TRUE(lent);
            SetBlockingCallRunner(lent);
        } catch (const std::bad_alloc&) {
            AllocationsBeforeFailure = -1;
        }
        EXPECT_TRUE(control->isEnabled()) << allocations;
        EXPECT_NE(window.cursor().shape(), Qt::WaitCursor) << allocations;
        EXPECT_FALSE(SetBlockingCallRunner({})) << allocations;
        if (started)
            break;
    }
    // Input reaches the window again.
    QTest::keyClicks(control, "ok");
    EXPECT_EQ(control->text(), QStringLiteral("ok"));
}

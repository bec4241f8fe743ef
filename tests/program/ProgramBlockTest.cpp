// The program block, each in a process of its own: a clean end gives exit code 0, an error
// in the click handler is shown while the program goes on, and a window that cannot be
// created gives the start-up failure box and exit code 1.
#include "UPrincipal.h"
#include "app/Program.h"

#include "app/RecordingBoxes.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace ortavo;
using namespace ortavo::testing;

namespace {

// Runs the program block with the real window, then ends the process with its result and
// the boxes it showed on stderr.
[[noreturn]] void RunAndExit(const std::function<void(TApplication&)>& createForms,
                             const std::function<void()>& whenRunning) {
    auto boxes = std::make_unique<ScopedBoxes>();
    QTimer::singleShot(0, [&] { whenRunning(); });
    int code = RunProgramBlock(*Application, createForms);
    std::fprintf(stderr, "boxes:");
    for (const BoxShown& box : boxes->Shown)
        std::fprintf(stderr, "[%d|%s|%s]", static_cast<int>(box.What), ToUtf8(box.Caption).c_str(),
                     ToUtf8(box.Text).c_str());
    std::fflush(stderr);
    std::_Exit(code);
}

void CreateMainWindow(TApplication& application) {
    application.CreateForm(Form1);
}

} // namespace

TEST(ProgramBlock, ClosingTheWindowEndsWithExitCodeZero) {
    EXPECT_EXIT(RunAndExit(CreateMainWindow,
                           [] {
                               if (!Form1 || !Form1->isVisible() ||
                                   Application->MainForm() != Form1 ||
                                   !Application->MainFormOnTaskBar())
                                   std::_Exit(3);
                               Form1->close();
                           }),
                ::testing::ExitedWithCode(0), "boxes:$");
}

TEST(ProgramBlock, AnErrorInTheClickHandlerIsShownAndTheWindowStays) {
    EXPECT_EXIT(RunAndExit(CreateMainWindow,
                           [] {
                               Form1->Button1->OnClick = [](QObject*) {
                                   throw EConvertError(u"Invalid date");
                               };
                               Form1->Button1->click();
                               if (!Form1->isVisible())
                                   std::_Exit(4);
                               // The run itself, on a database nobody serves: its box.
                               Form1->edtBase->SetText(u"/nonexistent/ortavo/base.fdb");
                               Form1->Button1->OnClick = [](QObject* s) { Form1->Button1Click(s); };
                               Form1->Button1->click();
                               Form1->close();
                           }),
                ::testing::ExitedWithCode(0),
                "boxes:\\[1\\|program_tests\\|Invalid date\\.\\]"
                "\\[0\\|program_tests\\|Não conseguiu conectar a base de dados\\]$");
}

TEST(ProgramBlock, AWindowThatCannotBeCreatedShowsTheStartupFailureBoxAndExitsWithOne) {
    EXPECT_EXIT(RunAndExit(
                    [](TApplication&) {
                        throw EFOpenError(u"Cannot load the client library libfbclient.so.2");
                    },
                    [] { std::_Exit(5); }),
                ::testing::ExitedWithCode(1),
                "boxes:\\[2\\|Application Error\\|Exception EFOpenError in module program_tests at "
                "[0-9A-F]{8}\\.\r\nCannot load the client library libfbclient\\.so\\.2\\.\r\n\\]$");
}

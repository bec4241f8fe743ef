// The program block: the application object, the main window and the event loop.
#include "UPrincipal.h"
#include "app/Program.h"

int main(int argc, char** argv) {
    ortavo::TApplication application(argc, argv);
    return ortavo::RunProgramBlock(
        application, [](ortavo::TApplication& app) { app.CreateForm(ortavo::Form1); });
}

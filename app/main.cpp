// Quelmar: a full-screen, distraction-free writing program.
#include "app/application.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    application.CreateWindows();
    application.ShowMainWindow();
    return application.Run();
}

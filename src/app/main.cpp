#include "AM_Vollo.h"
#include "CCliMain.h"

int main(int argc, char** argv) {
    // A subcommand works without a display: no window, no GUI application.
    if (CCliMain::IsCommand(argc, argv))
        return CCliMain::Run(argc, argv);
    return AM_Vollo::Main(argc, argv);
}

#include "CCliMain.h"

int main(int argc, char** argv) {
    if (CCliMain::IsCommand(argc, argv))
        return CCliMain::Run(argc, argv);
    return CCliMain::StartWindow(argc, argv);
}

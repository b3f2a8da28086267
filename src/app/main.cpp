#include "AM_Vollo.h"

int main(int argc, char** argv) {
    return AM_Vollo::Main(argc, argv);
}

#include "app/StarterMod.h"

int main(int argc, char** argv)
{
    return StarterMod::Main(argc, argv);
}

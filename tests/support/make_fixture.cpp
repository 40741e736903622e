// Writes the sample program directory that the README's run command checks.
#include <iostream>

#include "fixture.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ostrel-make-fixture DIR\n";
        return 2;
    }
    ostrel::fixture::write_program_dir(argv[1]);
    return 0;
}

// ostrel-demo: writes the demo program directory that a new user drives first.

#include <iostream>

#include "demo.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ostrel-demo DIR\n";
        return 2;
    }
    try {
        int step = 0;
        ostrel::demo::write_demo(argv[1], [&step](const std::string& what) {
            std::cerr << "[" << ++step << "] " << what << "\n";
        });
    } catch (const std::exception& e) {
        std::cerr << "ostrel-demo: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

// ostrel-demo: writes the demo program directory that a new user drives first.

#include <QGuiApplication>
#include <iostream>
#include <string>

#include "demo.h"
#include "version.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "ostrel-demo " << ostrel::kVersion << "\n";
        return 0;
    }
    if (argc != 2) {
        std::cerr << "usage: ostrel-demo DIR\n";
        return 2;
    }
    // The pictures are drawn offscreen: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        // "[25%] the route video ...": the desktop program shows it in its progress dialog.
        ostrel::demo::write_demo(argv[1], [](int percent, const std::string& what) {
            std::cerr << "[" << percent << "%] " << what << std::endl;
        });
    } catch (const std::exception& e) {
        std::cerr << "ostrel-demo: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

// The serial path for real: a pseudo-terminal pair stands for the controller's cable. The port
// end is opened by QSerialPort through the program's adapter; what is written at the other end
// arrives as the serial rule's chunks and moves the notches.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

#include "input/controllers.h"
#include "input/serial/serial_controller.h"
#include "sample_drive.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "device_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// Runs the event loop until `done` or two seconds have passed.
bool wait_for(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct SerialPort : ::testing::Test {
    int controller_end = -1, port_end = -1;
    std::string port_path;
    TestDrive t{sample_drive("line_exp.dat")};
    std::vector<std::string> chunks;

    void SetUp() override {
        app();
        ASSERT_EQ(::openpty(&controller_end, &port_end, nullptr, nullptr, nullptr), 0);
        port_path = ::ttyname(port_end);
    }
    void TearDown() override {
        ::close(controller_end);
        ::close(port_end);
    }
    void send(const std::string& bytes) {
        ASSERT_EQ(::write(controller_end, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    std::unique_ptr<SerialController> connect() {
        SerialSettings s;
        s.port = port_path;
        auto port = std::make_unique<SerialController>(s);
        port->on_received = [this](const std::string& text) {
            chunks.push_back(text);
            serial_text_received(t.drive, text);
            handle_posted_keys(t.drive);
        };
        return port;
    }
};

TEST_F(SerialPort, CommandsWrittenAtTheControllerEndMoveTheNotches) {
    auto port = connect();
    ASSERT_EQ(port->open(), "");
    ASSERT_TRUE(port->is_open());
    send("N0xxx");
    EXPECT_TRUE(wait_for([&] { return t.s.controls.brake_notch == 0; }));
    send("B3xxx");
    EXPECT_TRUE(wait_for([&] { return t.s.controls.brake_notch == -3; }));
    send("P2xxx");
    EXPECT_TRUE(wait_for([&] { return t.s.controls.power_notch == 2; }));
    EXPECT_EQ(t.s.controls.brake_notch, 0);
    send("K3xxx");  // a button: typed as "3", the horn
    EXPECT_TRUE(wait_for([&] { return t.channels.is_playing(t.loaded.vehicle.Sound_Horn); }));
    EXPECT_EQ(t.drive.view.value_display_caption, "K3xxx");
}

TEST_F(SerialPort, ClosingMidStreamLosesNothingReceivedAndOpensAgain) {
    auto port = connect();
    ASSERT_EQ(port->open(), "");
    for (int i = 0; i < 100; ++i)
        send(i % 2 ? "B5xxx" : "N0xxx");
    ASSERT_TRUE(wait_for([&] { return !chunks.empty(); }));
    for (int i = 0; i < 100; ++i)
        send(i % 2 ? "N0xxx" : "B5xxx");
    port->close();
    EXPECT_FALSE(port->is_open());
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // Every chunk that arrived was whole commands, and the notches stand where the last one
    // received put them.
    std::string all;
    for (const std::string& c : chunks)
        all += c;
    EXPECT_EQ(all.size() % 5, 0U);
    EXPECT_EQ(t.s.controls.brake_notch, chunks.back().substr(0, 5) == "B5xxx" ? -5 : 0);
    // The same port opens again and works.
    ASSERT_EQ(port->open(), "");
    tcflush(port_end, TCIFLUSH);
    send("B4xxx");
    EXPECT_TRUE(wait_for([&] { return t.s.controls.brake_notch == -4; }));
}

TEST_F(SerialPort, APortThatCannotBeOpenedSaysWhy) {
    SerialSettings s;
    s.port = "/dev/ostrel-no-such-port";
    SerialController port(s);
    const std::string why = port.open();
    EXPECT_NE(why.find("Cannot open the serial port /dev/ostrel-no-such-port: "), std::string::npos)
        << why;
    EXPECT_FALSE(port.is_open());
}

}  // namespace
}  // namespace ostrel

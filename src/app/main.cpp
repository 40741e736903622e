// ostrel: the desktop program. Finds the program directory, makes the windows and runs.

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <csignal>

#include <cstdlib>
#include <iostream>

#include "app/language.h"
#include "app/pack_window.h"
#include "app/program.h"
#include "app/program_dir.h"
#include "packs/libarchive/libarchive_reader.h"
#include "save/qt/qt_settings.h"
#include "version.h"

namespace {

std::filesystem::path path_of(const QString& s) {
    return std::filesystem::path(s.toStdString());
}

// The signals that close the program arrive as a byte on a pipe, which the event loop watches:
// the handler itself only writes the byte.
int signal_pipe[2] = {-1, -1};

void on_close_signal(int) {
    const char byte = 1;
    const int saved = errno;
    (void)!write(signal_pipe[1], &byte, 1);
    errno = saved;
}

// The pipe's reading end, with SIGINT, SIGTERM and SIGHUP sent to it from the first call on.
int close_signals_pipe() {
    if (signal_pipe[0] < 0) {
        if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
        struct sigaction action {};
        action.sa_handler = on_close_signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int sig : {SIGINT, SIGTERM, SIGHUP})
            sigaction(sig, &action, nullptr);
    }
    return signal_pipe[0];
}

// `ostrel --install ARCHIVE` without a display: the pack is installed with its progress on the
// terminal, and the program says how to drive it.
int install_on_terminal(const std::filesystem::path& archive) {
    ostrel::app::ProgramDirPlaces places;
    places.user_data_dir =
        path_of(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    ostrel::InstallRequest request;
    request.packs_dir = ostrel::app::packs_dir_of(places);
    int shown = -1;
    const bool terminal = isatty(STDERR_FILENO);
    request.progress = [&shown, terminal](std::int64_t read, std::int64_t total) {
        const int percent = total > 0 ? static_cast<int>(read * 100 / total) : 0;
        if (terminal && percent != shown)
            std::cerr << "\rostrel: installing " << (shown = percent) << "%" << std::flush;
        return true;
    };
    try {
        const ostrel::InstallResult result = ostrel::install_archive_file(archive, request);
        if (terminal) std::cerr << "\n";
        for (const std::string& note : result.notes)
            std::cerr << "ostrel: skipped " << note << "\n";
        std::cout << "ostrel: installed " << result.name << " in " << result.dir.string()
                  << "; start it with: ostrel " << result.dir.string() << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << (terminal ? "\n" : "") << "ostrel: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The command line is read before anything needs a display, so that "--help" and a
    // mistyped option answer on any terminal.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Ostrel, a railway driving simulator"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end"));
    parser.addOption(help);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end"));
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("The program directory (holds ostrel.dat)"),
                                 QStringLiteral("[DIR]"));
    const QCommandLineOption data({QStringLiteral("data")},
                                  QStringLiteral("The program directory (holds ostrel.dat)"),
                                  QStringLiteral("DIR"));
    const QCommandLineOption autopilot(
        {QStringLiteral("autopilot")},
        QStringLiteral("Pick the limited express and let the autopilot drive it"));
    const QCommandLineOption timing_log(
        {QStringLiteral("timing-log")},
        QStringLiteral("Write one line per fast step, tick and screen update to FILE"),
        QStringLiteral("FILE"));
    const QCommandLineOption quit_after({QStringLiteral("quit-after")},
                                        QStringLiteral("End the program after SECONDS"),
                                        QStringLiteral("SECONDS"));
    const QCommandLineOption silent(
        {QStringLiteral("silent")},
        QStringLiteral("Play no sound (the sounds still take their time)"));
    const QCommandLineOption install(
        {QStringLiteral("install")},
        QStringLiteral("Install the data pack in ARCHIVE (ZIP, LZH, 7z, RAR, tar), then drive it"),
        QStringLiteral("ARCHIVE"));
    const QCommandLineOption lang(
        {QStringLiteral("lang")},
        QStringLiteral("Speak LANG for this run: ja (Japanese) or en (English); the default is "
                       "the language chosen in the program, else Japanese"),
        QStringLiteral("LANG"));
    parser.addOptions({data, autopilot, timing_log, quit_after, silent, install, lang});
    // Qt's own options ("-platform offscreen", "-style fusion" ...) are taken as Qt takes them,
    // and left to it.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption platform({QStringLiteral("platform")}, QString(), QStringLiteral("P"));
    for (const char* name : {"platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "session", "style", "stylesheet",
                             "display", "geometry", "title", "name"}) {
        QCommandLineOption qt({QString::fromLatin1(name)}, QString(), QStringLiteral("VALUE"));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption qt({QString::fromLatin1(name)});
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    {
        QCommandLineOption hidden = platform;
        hidden.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(hidden);
    }
    if (!parser.parse(arguments)) {
        std::cerr << "ostrel: " << parser.errorText().toStdString()
                  << " (ostrel --help lists the options)\n";
        return 2;
    }
    if (parser.isSet(lang) && !ostrel::app::language_named(parser.value(lang))) {
        std::cerr << "ostrel: --lang takes ja or en, not " << parser.value(lang).toStdString()
                  << "\n";
        return 2;
    }
    if (parser.isSet(version)) {
        std::cout << "ostrel " << ostrel::kVersion << "\n";
        return 0;
    }
    if (parser.isSet(help)) {
        std::cout << parser.helpText()
                         .replace(QStringLiteral("<executable_name>"), QStringLiteral("ostrel"))
                         .toStdString();
        return 0;
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QCoreApplication::setApplicationName(QStringLiteral("ostrel"));
    // An archive named where a directory would be (a file manager's "Open with") is installed.
    QString archive_to_install = parser.value(install);
    if (archive_to_install.isEmpty() && !parser.positionalArguments().isEmpty()) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path_of(parser.positionalArguments().first()), ec))
            archive_to_install = parser.positionalArguments().first();
    }
    if (!archive_to_install.isEmpty() && !ostrel::app::display_available() &&
        !parser.isSet(platform))
        return install_on_terminal(path_of(archive_to_install));
    if (!ostrel::app::display_available() && !parser.isSet(platform)) {
        std::cerr << "ostrel: the program needs a display (DISPLAY or WAYLAND_DISPLAY is not "
                     "set); ostrel-sim drives without one\n";
        return 1;
    }
    // A relative log name is taken from where the program was started, before the working
    // directory becomes the data directory.
    std::string timing_log_file = parser.value(timing_log).toStdString();
    if (!timing_log_file.empty()) {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(timing_log_file, ec);
        if (!ec) timing_log_file = absolute.string();
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationName(QStringLiteral("ostrel"));
    ostrel::QtSettingsStore settings;
    // The language, before the first window: this run's choice, else the one kept.
    const ostrel::app::Language language = parser.isSet(lang)
                                               ? *ostrel::app::language_named(parser.value(lang))
                                               : ostrel::app::stored_language(settings);
    if (!ostrel::app::use_language(language))
        std::cerr << "ostrel: the English translation could not be read; Japanese it is\n";

    ostrel::app::ProgramDirPlaces places;
    if (parser.isSet(data)) {
        places.argument = path_of(parser.value(data));
    } else if (!parser.positionalArguments().isEmpty() && archive_to_install.isEmpty()) {
        places.argument = path_of(parser.positionalArguments().first());
    }
    if (const char* env = std::getenv("OSTREL_DATA"); env && *env) places.environment = env;
    places.executable_dir = path_of(QCoreApplication::applicationDirPath());
    places.user_data_dir =
        path_of(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    const std::filesystem::path packs_dir = ostrel::app::packs_dir_of(places);
    ostrel::app::ProgramDirChoice choice = ostrel::app::choose_program_dir(places);

    if (!archive_to_install.isEmpty()) {
        // The archive first; the program then starts on the pack it made.
        std::error_code ec;
        const auto archive = std::filesystem::absolute(path_of(archive_to_install), ec);
        const auto installed = ostrel::app::install_with_progress(archive, packs_dir, nullptr);
        if (!installed) return 1;
        choice = {installed->dir, true, false};
    } else if (choice.choose_pack || (!choice.has_marker && choice.may_write_demo)) {
        // Several packs, or none yet: the pack window, which also installs and writes the demo.
        ostrel::app::PackWindow packs(packs_dir, places.executable_dir,
                                      ostrel::app::earlier_program_dir(places));
        if (packs.exec() != QDialog::Accepted) return 0;
        choice = {packs.chosen(), true, false};
    }
    if (!choice.dir.empty() && choice.dir.parent_path() == packs_dir)
        ostrel::mark_driven(packs_dir, choice.dir.filename().string(),
                            QDateTime::currentSecsSinceEpoch());
    std::error_code ec;
    if (!choice.dir.empty()) {
        // Relative names in the data files start from here.
        choice.dir = std::filesystem::absolute(choice.dir, ec);
        std::filesystem::current_path(choice.dir, ec);
    }

    ostrel::app::ProgramOptions options;
    options.autopilot = parser.isSet(autopilot);
    options.timing_log = timing_log_file;
    options.quit_after_s = parser.value(quit_after).toInt();
    options.sound_device = !parser.isSet(silent);
    options.drives_dir = places.user_data_dir / "drives";

    ostrel::app::Program program(choice.dir, settings, options);
    // Interrupted, terminated or hung up (the session ending): the program closes as its
    // window's close would, the drive closed and the settings written.
    QSocketNotifier signalled(close_signals_pipe(), QSocketNotifier::Read);
    QObject::connect(&signalled, &QSocketNotifier::activated, &signalled, [&program] {
        char byte = 0;
        while (read(close_signals_pipe(), &byte, 1) > 0) {
        }
        program.end(0);
    });
    program.create_windows();
    if (program.ended()) return program.exit_code();
    const int code = QApplication::exec();
    return program.ended() ? program.exit_code() : code;
}

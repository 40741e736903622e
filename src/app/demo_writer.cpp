#include "app/demo_writer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <system_error>

#include "version.h"

namespace ostrel::app {

namespace fs = std::filesystem;

// The generator names its steps in English; the dialog around them speaks the program's language.
QString demo_step_name(const QString& english) {
    static const QRegularExpression frame(QStringLiteral("^route video: frame (\\d+) of (\\d+)$"));
    if (const auto m = frame.match(english); m.hasMatch())
        return QCoreApplication::translate("DemoWriter", "路線映像 %1 / %2 フレーム")
            .arg(m.captured(1), m.captured(2));
    static const std::pair<const char*, const char*> names[] = {
        {"program files", QT_TRANSLATE_NOOP("DemoWriter", "プログラムファイルとタイトル画像")},
        {"trains", QT_TRANSLATE_NOOP("DemoWriter", "車両・運転台とその音")},
        {"the route:", QT_TRANSLATE_NOOP("DemoWriter", "路線ファイル・標識・信号・沿線の音")},
        {"the title window", QT_TRANSLATE_NOOP("DemoWriter", "タイトル画面の沿線風景")},
        {"the route video", QT_TRANSLATE_NOOP("DemoWriter", "路線映像")},
        {"done", QT_TRANSLATE_NOOP("DemoWriter", "完了")},
    };
    for (const auto& [prefix, japanese] : names)
        if (english.startsWith(QLatin1String(prefix)))
            return QCoreApplication::translate("DemoWriter", japanese);
    return english;
}

fs::path demo_generator_beside(const fs::path& executable_dir) {
    // In the build folder it stands beside the program; installed, in its own folder.
    for (const fs::path& p :
         {executable_dir / "ostrel-demo", executable_dir / kLibexecFromBin / "ostrel-demo"}) {
        std::error_code ec;
        if (fs::is_regular_file(p, ec)) return p.lexically_normal();
    }
    return {};
}

DemoResult write_demo_directory(const fs::path& generator, const fs::path& target,
                                QWidget* parent) {
    std::error_code ec;
    if (fs::exists(target, ec) && !fs::is_empty(target, ec))
        return {false, QStringLiteral("%1 already holds other files; the demo is not written "
                                      "over them.")
                           .arg(QString::fromStdString(target.string()))};
    fs::create_directories(target.parent_path(), ec);
    const fs::path partial =
        target.parent_path() / (target.filename().string() + ".partial-" +
                                std::to_string(QCoreApplication::applicationPid()));
    fs::remove_all(partial, ec);

    QProgressDialog dialog(QCoreApplication::translate("DemoWriter", "デモ路線を作成しています…"),
                           QCoreApplication::translate("DemoWriter", "キャンセル"), 0, 100, parent);
    dialog.setWindowTitle(QStringLiteral("Ostrel"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    dialog.setValue(0);

    QProcess process;
    process.setProgram(QString::fromStdString(generator.string()));
    process.setArguments({QString::fromStdString(partial.string())});
    QEventLoop loop;
    QString last_error;
    static const QRegularExpression step(QStringLiteral("^\\[(\\d+)%\\] (.*)$"));
    QObject::connect(&process, &QProcess::readyReadStandardError, &dialog, [&] {
        while (process.canReadLine()) {
            const QString line = QString::fromUtf8(process.readLine()).trimmed();
            const auto m = step.match(line);
            if (m.hasMatch()) {
                dialog.setValue(std::min(99, m.captured(1).toInt()));
                dialog.setLabelText(
                    QCoreApplication::translate("DemoWriter", "デモ路線を作成しています: %1")
                        .arg(demo_step_name(m.captured(2))));
            } else if (!line.isEmpty()) {
                last_error = line;
            }
        }
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) loop.quit();
    });
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [&] {
        process.kill();
        loop.quit();
    });
    process.setReadChannel(QProcess::StandardError);
    process.start();
    loop.exec();
    const bool cancelled = dialog.wasCanceled();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
    const bool ok = !cancelled && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0 && process.error() != QProcess::FailedToStart;
    if (!ok) {
        fs::remove_all(partial, ec);
        if (cancelled) return {false, {}};
        return {false, QStringLiteral("The demo could not be written: %1")
                           .arg(last_error.isEmpty() ? process.errorString() : last_error)};
    }
    fs::remove(target, ec);  // an empty directory, if any
    fs::rename(partial, target, ec);
    if (ec) {
        const QString why = QString::fromStdString(ec.message());
        fs::remove_all(partial, ec);
        return {false, QStringLiteral("The demo could not be moved into place: %1").arg(why)};
    }
    dialog.setValue(100);
    return {true, {}};
}

}  // namespace ostrel::app

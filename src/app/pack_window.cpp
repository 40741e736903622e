#include "app/pack_window.h"

#include "view/qt/core_text.h"

#include <QApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <thread>

#include "app/demo_writer.h"
#include "app/widgets.h"
#include "packs/libarchive/libarchive_reader.h"
#include "view/qt/pictures.h"

namespace ostrel::app {

namespace fs = std::filesystem;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// One install on a thread of its own while the progress dialog runs the events.
std::optional<InstallResult> run_install(const fs::path& archive, InstallRequest request,
                                         QWidget* parent, std::exception_ptr& failure) {
    std::atomic<std::int64_t> read{0}, total{1};
    std::atomic<bool> cancelled{false}, done{false};
    request.progress = [&](std::int64_t r, std::int64_t t) {
        read = r;
        total = std::max<std::int64_t>(t, 1);
        return !cancelled;
    };
    // Asked on the UI thread while the install waits.
    auto ask = request.may_replace;
    if (ask)
        request.may_replace = [&ask](const std::string& file) {
            bool yes = false;
            QMetaObject::invokeMethod(
                qApp, [&] { yes = ask(file); }, Qt::BlockingQueuedConnection);
            return yes;
        };
    std::optional<InstallResult> result;
    std::thread worker([&] {
        try {
            result = install_archive_file(archive, request);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });
    QProgressDialog progress(
        QCoreApplication::translate("PackWindow", "%1 をインストールしています…")
            .arg(q(archive.filename().string())),
        QCoreApplication::translate("PackWindow", "中止"), 0, 1000, parent);
    progress.setWindowTitle(
        QCoreApplication::translate("PackWindow", "データパックのインストール"));
    progress.setWindowModality(Qt::WindowModal);
    // Shown at once: until it is, the window would take other clicks and drops.
    progress.setMinimumDuration(0);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &progress, [&] {
        if (done) {
            progress.reset();
            return;
        }
        progress.setValue(static_cast<int>(std::min<std::int64_t>(999, read * 1000 / total)));
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] { cancelled = true; });
    timer.start(50);
    // The timer wakes the loop every 50 ms; in between it sleeps.
    while (!done)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.join();
    return result;
}

}  // namespace

namespace {

// What was skipped, said once the install is done.
void show_notes(const InstallResult& result, QWidget* parent) {
    if (result.notes.empty()) return;
    QStringList notes;
    for (std::size_t i = 0; i < result.notes.size() && i < 20; ++i)
        notes << core_text(result.notes[i]);
    if (result.notes.size() > 20)
        notes << QCoreApplication::translate("PackWindow", "… ほか %1 件 (and %1 more)")
                     .arg(result.notes.size() - 20);
    QMessageBox::information(
        parent, QStringLiteral("Ostrel"),
        QCoreApplication::translate("PackWindow",
                                    "インストールしました。展開しなかった項目があります:\n"
                                    "Installed; these entries were skipped:\n\n") +
            notes.join(QLatin1Char('\n')));
}

}  // namespace

std::optional<InstallResult> install_with_progress(const fs::path& archive,
                                                   const fs::path& packs_dir, QWidget* parent) {
    InstallRequest request;
    request.packs_dir = packs_dir;
    std::exception_ptr failure;
    auto result = run_install(archive, request, parent, failure);
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const InstallCancelled&) {
            return std::nullopt;
        } catch (const NoPackInArchive& e) {
            std::vector<PackInfo> packs = list_packs(packs_dir);
            if (!e.has_data_files || packs.empty()) {
                QMessageBox::warning(parent, QStringLiteral("Ostrel"), core_text(e.what()));
                return std::nullopt;
            }
            QStringList names;
            for (const PackInfo& p : packs)
                names << q(p.name);
            bool ok = false;
            const QString chosen = QInputDialog::getItem(
                parent, QCoreApplication::translate("PackWindow", "追加先のデータパック"),
                core_text(e.what()) +
                    QCoreApplication::translate("PackWindow", "\n\n追加先 (add to):"),
                names, 0, false, &ok);
            if (!ok) return std::nullopt;
            request.add_to = chosen.toStdString();
            request.may_replace = [parent](const std::string& file) {
                return QMessageBox::question(
                           parent, QStringLiteral("Ostrel"),
                           QCoreApplication::translate("PackWindow",
                                                       "%1 は既にあります。置き換えますか？\n\n%1 "
                                                       "is in the pack already. Replace it?")
                               .arg(q(file))) == QMessageBox::Yes;
            };
            failure = nullptr;
            result = run_install(archive, request, parent, failure);
            if (!failure) {
                show_notes(*result, parent);
                return result;
            }
            try {
                std::rethrow_exception(failure);
            } catch (const InstallCancelled&) {
                return std::nullopt;
            } catch (const std::exception& again) {
                QMessageBox::warning(parent, QStringLiteral("Ostrel"), core_text(again.what()));
                return std::nullopt;
            }
        } catch (const std::exception& e) {
            QMessageBox::warning(parent, QStringLiteral("Ostrel"), core_text(e.what()));
            return std::nullopt;
        }
    }
    if (result) show_notes(*result, parent);
    return result;
}

PackWindow::PackWindow(fs::path packs_dir, fs::path executable_dir, std::optional<PackInfo> earlier,
                       QWidget* parent)
    : QDialog(parent),
      packs_dir_(std::move(packs_dir)),
      executable_dir_(std::move(executable_dir)),
      earlier_(std::move(earlier)) {
    setWindowTitle(QCoreApplication::translate("PackWindow", "データパック - Ostrel"));
    setAcceptDrops(true);
    resize(560, 420);
    auto* layout = new QVBoxLayout(this);
    empty_label =
        new QLabel(QCoreApplication::translate(
                       "PackWindow",
                       "インストールされたデータパックはありません。ダウンロードした書庫 (ZIP, "
                       "LZH, 7z) をここへドロップするか、「インストール」で選んでください。"
                       "デモ路線も作れます。\n\nNo data pack is installed: drop a downloaded "
                       "archive here, choose one with Install, or write the demo line."),
                   this);
    empty_label->setWordWrap(true);
    layout->addWidget(empty_label);
    list = new QListWidget(this);
    list->setObjectName(QStringLiteral("pack_list"));
    list->setIconSize(QSize(96, 54));
    list->setSpacing(2);
    layout->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    start_button = new QPushButton(QCoreApplication::translate("PackWindow", "運転する"), this);
    start_button->setDefault(true);
    install_button =
        new QPushButton(QCoreApplication::translate("PackWindow", "インストール…"), this);
    demo_button =
        new QPushButton(QCoreApplication::translate("PackWindow", "デモ路線を作成"), this);
    remove_button = new QPushButton(QCoreApplication::translate("PackWindow", "削除"), this);
    auto* close_button = new QPushButton(QCoreApplication::translate("PackWindow", "終了"), this);
    for (QPushButton* b : {start_button, install_button, demo_button, remove_button})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close_button);
    layout->addLayout(buttons);
    demo_button->setVisible(!demo_generator_beside(executable_dir_).empty());
    connect(start_button, &QPushButton::clicked, this, [this] { start_selected(); });
    connect(list, &QListWidget::itemActivated, this, [this] { start_selected(); });
    connect(install_button, &QPushButton::clicked, this, [this] { install_from_dialog(); });
    connect(demo_button, &QPushButton::clicked, this, [this] { write_demo(); });
    connect(remove_button, &QPushButton::clicked, this, [this] { remove_selected(); });
    connect(close_button, &QPushButton::clicked, this, &QDialog::reject);
    connect(list, &QListWidget::currentRowChanged, this, [this] {
        const PackInfo* p = selected();
        start_button->setEnabled(p != nullptr);
        remove_button->setEnabled(p && p->dir.parent_path() == packs_dir_);
    });
    refresh();
}

void PackWindow::refresh(const std::string& select) {
    packs_ = list_packs(packs_dir_);
    if (earlier_) packs_.push_back(*earlier_);
    list->clear();
    int row = 0;
    for (std::size_t i = 0; i < packs_.size(); ++i) {
        const PackInfo& p = packs_[i];
        const QString when = p.last_driven > 0
                                 ? QDateTime::fromSecsSinceEpoch(p.last_driven)
                                       .toString(QStringLiteral("yyyy-MM-dd hh:mm"))
                                 : QCoreApplication::translate("PackWindow", "未運転");
        const QString text = QStringLiteral("%1\n%2    %3 MB    %4")
                                 .arg(q(p.line_name.empty() ? p.name : p.line_name), q(p.name))
                                 .arg(p.bytes / (1024 * 1024))
                                 .arg(when);
        auto* item = new QListWidgetItem(text, list);
        // The title picture, or a plate in its place so that the names line up.
        QPixmap icon = plate(QStringLiteral("Ostrel"), list->iconSize());
        if (!p.title_picture.empty()) {
            const QImage picture =
                load_picture(p.title_picture.parent_path(), p.title_picture.filename().string());
            if (!picture.isNull()) {
                // Centred on a canvas of the icon's size, whatever the picture's shape.
                const QImage scaled =
                    picture.scaled(list->iconSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
                icon.fill(Qt::transparent);
                QPainter painter(&icon);
                painter.drawImage((icon.width() - scaled.width()) / 2,
                                  (icon.height() - scaled.height()) / 2, scaled);
            }
        }
        item->setIcon(QIcon(icon));
        if (!select.empty() && p.name == select) row = static_cast<int>(i);
    }
    empty_label->setVisible(packs_.empty());
    list->setVisible(!packs_.empty());
    if (!packs_.empty()) list->setCurrentRow(row);
    start_button->setEnabled(!packs_.empty());
    remove_button->setEnabled(selected() && selected()->dir.parent_path() == packs_dir_);
}

const PackInfo* PackWindow::selected() const {
    const int row = list->currentRow();
    if (row < 0 || row >= static_cast<int>(packs_.size())) return nullptr;
    return &packs_[static_cast<std::size_t>(row)];
}

void PackWindow::start_selected() {
    const PackInfo* p = selected();
    if (!p) return;
    chosen_ = p->dir;
    accept();
}

bool PackWindow::install(const fs::path& archive) {
    const auto result = install_with_progress(archive, packs_dir_, this);
    if (!result) return false;
    refresh(result->name);
    return true;
}

void PackWindow::install_from_dialog() {
    const QString file = QFileDialog::getOpenFileName(
        this, QCoreApplication::translate("PackWindow", "データパックの書庫"), QString(),
        QCoreApplication::translate(
            "PackWindow",
            "書庫 (*.zip *.lzh *.lha *.7z *.rar *.tar *.tar.gz *.tgz *.tar.xz);;"
            "すべてのファイル (*)"));
    if (!file.isEmpty()) install(fs::path(file.toStdString()));
}

void PackWindow::write_demo() {
    const fs::path generator = demo_generator_beside(executable_dir_);
    if (generator.empty()) return;
    const std::string name = pack_name_for("demo", packs_dir_);
    std::error_code ec;
    fs::create_directories(packs_dir_, ec);
    const DemoResult result = write_demo_directory(generator, packs_dir_ / name, this);
    if (!result.written && !result.message.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Ostrel"), result.message);
    // Written, it is driven: that is what the button was pressed for.
    if (result.written) {
        refresh(name);
        chosen_ = packs_dir_ / name;
        accept();
    }
}

void PackWindow::remove_selected() {
    const PackInfo* p = selected();
    if (!p || p->dir.parent_path() != packs_dir_) return;
    const std::string name = p->name;
    if (QMessageBox::question(
            this, QStringLiteral("Ostrel"),
            QCoreApplication::translate("PackWindow",
                                        "データパック「%1」とそのファイルをすべて削除しますか？"
                                        "\n\nRemove the pack %1 and all its files?")
                .arg(q(name))) != QMessageBox::Yes)
        return;
    try {
        remove_pack(packs_dir_, name);
    } catch (const PackError& e) {
        QMessageBox::warning(this, QStringLiteral("Ostrel"), core_text(e.what()));
    }
    refresh();
}

void PackWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void PackWindow::dropEvent(QDropEvent* e) {
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) install(fs::path(url.toLocalFile().toStdString()));
    e->acceptProposedAction();
}

}  // namespace ostrel::app

// The status monitor's window, built exactly as its program builds it, on
// the offscreen platform; twice a second it writes what the window shows
// into a file (one "name=value" line each) for the test script, and on
// SIGTERM it saves the window as a PNG and ends.
//   system_status_probe SNAPSHOT_FILE PNG_FILE
#include "dialog_probe.h"
#include "locale_catalogue.h"
#include "status_dialog.h"

#include <QApplication>
#include <QSaveFile>
#include <QTimer>
#include <QTranslator>

#include <csignal>

int qInitResources_statusmonitor();

namespace {

volatile std::sig_atomic_t gStop = 0;

void snapshot(const QDialog &dialog, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QString text = "printers=" + printerNames(dialog).join(',') + '\n';
    for (const auto &[key, label] : {std::pair{"status", "label_Status"}, {"media", "label_MediaSize"},
             {"count", "label_TCValue"}, {"serial", "label_SerialValue"}})
        text += QString::fromLatin1(key) + '=' + labelText(dialog, label).simplified() + '\n';
    file.write(text.toUtf8());
    file.commit();
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    qInitResources_statusmonitor();
    std::signal(SIGTERM, [](int) { gStop = 1; });
    QApplication app(argc, argv);
    QTranslator translator;
    if (translator.load(catalogueForLocale(QStringLiteral("en-US"))))
        QApplication::installTranslator(&translator);
    StatusDialog dialog(nullptr);
    dialog.show();
    const QString snapshotPath = QString::fromLocal8Bit(argv[1]);
    const QString pngPath = QString::fromLocal8Bit(argv[2]);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        snapshot(dialog, snapshotPath);
        if (gStop) {
            dialog.grab().save(pngPath);
            dialog.close();
            app.quit();
        }
    });
    timer.start(500);
    return app.exec();
}

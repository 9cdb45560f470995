// The status monitor's window, built exactly as its program builds it, on
// the offscreen platform; twice a second it writes what the window shows
// into a file (one "name=value" line each) for the test script, and on
// SIGTERM it saves the window as a PNG and ends.
//   system_status_probe SNAPSHOT_FILE PNG_FILE
#include "locale_catalogue.h"
#include "status_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSaveFile>
#include <QTimer>
#include <QTranslator>

#include <csignal>

int qInitResources_statusmonitor();

namespace {

volatile std::sig_atomic_t gStop = 0;

QString shown(const QDialog &dialog, const char *name)
{
    const QLabel *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text().simplified() : QString();
}

void snapshot(const QDialog &dialog, const QString &path)
{
    QStringList printers;
    const auto *box = dialog.findChild<QComboBox *>(QStringLiteral("printerComboBox"));
    for (int i = 0; box && i < box->count(); ++i)
        printers << box->itemText(i);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QString text;
    text += "printers=" + printers.join(',') + '\n';
    text += "status=" + shown(dialog, "label_Status") + '\n';
    text += "media=" + shown(dialog, "label_MediaSize") + '\n';
    text += "count=" + shown(dialog, "label_TCValue") + '\n';
    text += "serial=" + shown(dialog, "label_SerialValue") + '\n';
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

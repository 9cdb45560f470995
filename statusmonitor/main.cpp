// Entry of korvane_zr_status, the desktop status monitor of ZR printers.
#include "locale_catalogue.h"
#include "single_instance.h"
#include "status_dialog.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QTranslator>

int qInitResources_statusmonitor();

int main(int argc, char *argv[])
{
    qInitResources_statusmonitor();
    if (checkDoubleStartApp())
        return -1;
    QThread::msleep(1000);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZR Information"));

    QTranslator translator;
    if (translator.load(catalogueForLocale(QLocale::system().bcp47Name())))
        QApplication::installTranslator(&translator);

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/printer_icon.png")));

    QScreen *screen = QGuiApplication::primaryScreen();
    StatusDialog dialog(nullptr);
    dialog.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, dialog.size(),
                                           screen->availableGeometry()));
    dialog.show();
    return QApplication::exec();
}

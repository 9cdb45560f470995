// Reading the status window the way a user sees it, and the files and
// queues around it, for the window tests.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>

#include <sys/stat.h>

inline QString labelText(const QDialog &dialog, const char *name)
{
    const QLabel *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(name);
}

inline int barValue(const QDialog &dialog)
{
    return dialog.findChild<QProgressBar *>("progressBar")->value();
}

inline QComboBox *printerList(const QDialog &dialog)
{
    return dialog.findChild<QComboBox *>("printerComboBox");
}

inline QStringList printerNames(const QDialog &dialog)
{
    QStringList names;
    const QComboBox *box = printerList(dialog);
    for (int i = 0; i < box->count(); ++i)
        names << box->itemText(i);
    return names;
}

// The picture shown, as an image, to compare with a scaled resource picture.
inline QImage shownPicture(const QDialog &dialog)
{
    const QGraphicsView *view = dialog.findChild<QGraphicsView *>("graphicsView");
    if (!view || !view->scene() || view->scene()->items().isEmpty())
        return QImage();
    const auto *item = dynamic_cast<QGraphicsPixmapItem *>(view->scene()->items().first());
    return item ? item->pixmap().toImage() : QImage();
}

inline QImage resourcePicture(const char *name)
{
    return QPixmap(QStringLiteral(":/images/%1.bmp").arg(name))
        .scaled(80, 80, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .toImage();
}

inline int modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// lpadmin against the private scheduler named by CUPS_SERVER.
inline bool lpadmin(const QStringList &arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start("lpadmin", arguments);
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

inline bool addQueue(const QString &name, const QString &uri)
{
    return lpadmin({"-p", name, "-E", "-v", uri});
}

inline bool removeQueue(const QString &name) { return lpadmin({"-x", name}); }

// Reading the status window the way a user sees it, for the window test and
// the whole-package test's probe.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QLabel>
#include <QProgressBar>

inline QString labelText(const QDialog &dialog, const char *name)
{
    const QLabel *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(name);
}

inline int barValue(const QDialog &dialog) { return dialog.findChild<QProgressBar *>("progressBar")->value(); }

inline QComboBox *printerList(const QDialog &dialog) { return dialog.findChild<QComboBox *>("printerComboBox"); }

inline QStringList printerNames(const QDialog &dialog)
{
    QStringList names;
    for (int i = 0; i < printerList(dialog)->count(); ++i)
        names << printerList(dialog)->itemText(i);
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

#include "version_dialog_form.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGraphicsView>
#include <QLabel>
#include <QLocale>

namespace {

QFont tenPoint()
{
    QFont font;
    font.setPointSize(10);
    return font;
}

QLabel *centredLabel(QDialog *dialog, const char *name, const QRect &geometry)
{
    QLabel *label = new QLabel(dialog);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setFont(tenPoint());
    // The version and rights lines are written in US English whatever the
    // catalogue, so their locale stays fixed.
    label->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

void Ui_VersionDialog::setupUi(QDialog *dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("VersionDialog"));
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->resize(320, 200);
    dialog->setMinimumSize(QSize(320, 200));
    dialog->setMaximumSize(QSize(320, 200));
    dialog->setSizeIncrement(QSize(0, 0));
    dialog->setAutoFillBackground(false);
    dialog->setStyleSheet(QStringLiteral("background-color: rgb(255, 255, 255);"));

    graphicsView = new QGraphicsView(dialog);
    graphicsView->setObjectName(QStringLiteral("graphicsView"));
    graphicsView->setGeometry(QRect(120, 20, 80, 80));
    graphicsView->setAcceptDrops(false);
    graphicsView->setFrameShape(QFrame::NoFrame);
    graphicsView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    graphicsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    label_VersionNo = centredLabel(dialog, "label_VersionNo", QRect(10, 120, 301, 20));
    label_VersionNo->setContextMenuPolicy(Qt::NoContextMenu);
    label_CopyRight = centredLabel(dialog, "label_CopyRight", QRect(10, 160, 300, 20));

    retranslateUi(dialog);
    QMetaObject::connectSlotsByName(dialog);
}

void Ui_VersionDialog::retranslateUi(QDialog *dialog)
{
    dialog->setWindowTitle(QCoreApplication::translate("VersionDialog", "ZR Information"));
    label_VersionNo->setText(QStringLiteral("TextLabel"));
    label_CopyRight->setText(QStringLiteral("TextLabel"));
}

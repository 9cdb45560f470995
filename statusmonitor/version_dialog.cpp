#include "version_dialog.h"

#include "version_dialog_form.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QPixmap>

const char kProgramVersion[] = "1.0.0";

VersionDialog::VersionDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui_VersionDialog), iconScene(new QGraphicsScene)
{
    ui->setupUi(this);
    ui->label_VersionNo->setText(tr("Version") + QLatin1Char(' ') + QLatin1String(kProgramVersion));
    ui->label_CopyRight->setText(QStringLiteral("Copyright (C) 2026 Brennholt"));
    const QPixmap icon(QStringLiteral(":/images/printer_icon.png"));
    iconScene->addPixmap(icon.scaled(80, 80, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    ui->graphicsView->setScene(iconScene);
}

VersionDialog::~VersionDialog()
{
    delete ui;
    // The scene has no parent; the view only borrows it.
    delete iconScene;
}

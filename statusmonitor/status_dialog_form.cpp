#include "status_dialog_form.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QGraphicsView>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

const char kWhite[] = "background-color: rgb(255, 255, 255);";

template <typename W>
W *place(QWidget *parent, const char *name, int x, int y, int w, int h, int points = 0)
{
    W *widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(QRect(x, y, w, h));
    if (points > 0) {
        QFont font;
        font.setPointSize(points);
        widget->setFont(font);
    }
    return widget;
}

QFrame *panelFrame(QWidget *parent, const char *name, int x, int y, int w, int h, int points = 0)
{
    QFrame *frame = place<QFrame>(parent, name, x, y, w, h, points);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QGroupBox *panel(QWidget *parent, const char *name, int x, int y, int w, int h, int points = 0)
{
    QGroupBox *box = place<QGroupBox>(parent, name, x, y, w, h, points);
    box->setTitle(QString());
    return box;
}

void setupMediaPanel(Ui_StatusDialog &ui, QDialog *dialog)
{
    ui.mediaGroupBox = panel(dialog, "mediaGroupBox", 10, 50, 530, 121, 10);
    ui.mediaGroupBox->setContextMenuPolicy(Qt::NoContextMenu);
    ui.label_MediaSize = place<QLabel>(ui.mediaGroupBox, "label_MediaSize", 26, 63, 148, 17, 9);
    ui.label_Per0 = place<QLabel>(ui.mediaGroupBox, "label_Per0", 180, 90, 50, 17, 9);
    ui.label_Per50 = place<QLabel>(ui.mediaGroupBox, "label_Per50", 310, 90, 50, 17, 9);
    ui.label_Per100 = place<QLabel>(ui.mediaGroupBox, "label_Per100", 470, 90, 50, 17, 9);
    ui.progressBar = place<QProgressBar>(ui.mediaGroupBox, "progressBar", 180, 60, 310, 23);
    ui.progressBar->setEnabled(true);
    ui.progressBar->setContextMenuPolicy(Qt::NoContextMenu);
    ui.progressBar->setRange(0, 100);
    ui.progressBar->setValue(0);
    ui.progressBar->setTextVisible(false);
    ui.label_MediaSizeDetails = place<QLabel>(ui.mediaGroupBox, "label_MediaSizeDetails", 180, 30, 330, 17, 9);
    ui.frame_3 = panelFrame(ui.mediaGroupBox, "frame_3", 0, 20, 530, 101);
    ui.label_MediaGroup = place<QLabel>(ui.mediaGroupBox, "label_MediaGroup", 0, -4, 530, 23, 10);
}

void setupStatusPanel(Ui_StatusDialog &ui, QDialog *dialog)
{
    ui.statusGroupBox = panel(dialog, "statusGroupBox", 10, 180, 530, 171, 10);
    ui.statusGroupBox->setEnabled(true);
    ui.statusGroupBox->setFocusPolicy(Qt::NoFocus);
    ui.statusGroupBox->setAutoFillBackground(false);
    ui.statusGroupBox->setStyleSheet(QString::fromLatin1(kWhite));
    ui.label_Status = place<QLabel>(ui.statusGroupBox, "label_Status", 110, 30, 380, 17, 9);
    ui.label_Status->setContextMenuPolicy(Qt::NoContextMenu);
    ui.label_Status->setAutoFillBackground(false);
    ui.label_Status->setFrameShape(QFrame::Box);
    ui.label_StatusMessage = place<QLabel>(ui.statusGroupBox, "label_StatusMessage", 110, 60, 400, 101, 9);
    ui.label_StatusMessage->setContextMenuPolicy(Qt::NoContextMenu);
    ui.label_StatusMessage->setStyleSheet(QString::fromLatin1(kWhite));
    ui.label_StatusMessage->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignTop);
    ui.label_StatusMessage->setWordWrap(true);
    // Geometry first at 84 x 84, then the maximum pulls it to the 80 x 80 of
    // the scaled status pictures.
    ui.graphicsView = place<QGraphicsView>(ui.statusGroupBox, "graphicsView", 10, 30, 84, 84);
    ui.graphicsView->setEnabled(true);
    ui.graphicsView->setMinimumSize(QSize(84, 84));
    ui.graphicsView->setMaximumSize(QSize(80, 80));
    ui.graphicsView->setFocusPolicy(Qt::NoFocus);
    ui.graphicsView->setContextMenuPolicy(Qt::NoContextMenu);
    ui.graphicsView->setAcceptDrops(false);
    ui.graphicsView->setStyleSheet(QString());
    ui.graphicsView->setFrameShape(QFrame::NoFrame);
    ui.graphicsView->setLineWidth(1);
    ui.graphicsView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui.graphicsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui.graphicsView->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    ui.frame_2 = panelFrame(ui.statusGroupBox, "frame_2", 0, 20, 530, 151);
    ui.label_StatusGroup = place<QLabel>(ui.statusGroupBox, "label_StatusGroup", 0, -4, 551, 23, 10);
}

void setupValuePanels(Ui_StatusDialog &ui, QDialog *dialog)
{
    ui.totalCountGroupBox = panel(dialog, "totalCountGroupBox", 10, 360, 211, 61);
    ui.label_TCGroup = place<QLabel>(ui.totalCountGroupBox, "label_TCGroup", 0, 0, 211, 19, 10);
    ui.frame = panelFrame(ui.totalCountGroupBox, "frame", 0, 20, 211, 41, 10);
    ui.label_TCValue = place<QLabel>(ui.frame, "label_TCValue", 70, 10, 131, 20, 10);

    ui.FWVersionBox = panel(dialog, "FWVersionBox", 230, 360, 311, 61);
    ui.label_FWGroup = place<QLabel>(ui.FWVersionBox, "label_FWGroup", 0, 0, 311, 20, 10);
    ui.frame_4 = panelFrame(ui.FWVersionBox, "frame_4", 0, 20, 311, 41);
    ui.label_FWValue = place<QLabel>(ui.frame_4, "label_FWValue", 10, 10, 271, 20, 10);

    ui.serialGroupBox = panel(dialog, "serialGroupBox", 10, 440, 531, 61);
    ui.label_Serial = place<QLabel>(ui.serialGroupBox, "label_Serial", 0, 0, 531, 19, 10);
    ui.frame_5 = panelFrame(ui.serialGroupBox, "frame_5", 0, 20, 531, 41);
    ui.label_SerialValue = place<QLabel>(ui.frame_5, "label_SerialValue", 10, 10, 401, 19, 10);
}

// The heading labels start above their panel and must cover its top edge:
// frame at the bottom, then the contents, the heading on top.
void stackPanels(Ui_StatusDialog &ui)
{
    ui.frame_3->raise();
    ui.label_MediaSize->raise();
    ui.label_MediaSizeDetails->raise();
    ui.progressBar->raise();
    ui.label_Per0->raise();
    ui.label_Per50->raise();
    ui.label_Per100->raise();
    ui.label_MediaGroup->raise();

    ui.frame_2->raise();
    ui.label_Status->raise();
    ui.label_StatusMessage->raise();
    ui.graphicsView->raise();
    ui.label_StatusGroup->raise();
}

} // namespace

void Ui_StatusDialog::setupUi(QDialog *dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("StatusDialog"));
    dialog->resize(550, 570);
    dialog->setMinimumSize(QSize(550, 570));
    dialog->setMaximumSize(QSize(550, 570));
    QFont font;
    font.setPointSize(11);
    dialog->setFont(font);
    dialog->setAutoFillBackground(false);
    dialog->setStyleSheet(QString::fromLatin1(kWhite));

    printerlabel = place<QLabel>(dialog, "printerlabel", 10, 14, 180, 17, 10);
    printerComboBox = place<QComboBox>(dialog, "printerComboBox", 200, 10, 340, 25, 10);
    printerComboBox->setContextMenuPolicy(Qt::NoContextMenu);
    printerComboBox->setStyleSheet(QStringLiteral(
        "background-color: rgb(255, 255, 255);\nselection-background-color: rgb(52, 101, 164);"));

    setupMediaPanel(*this, dialog);
    setupStatusPanel(*this, dialog);

    updateButton = place<QPushButton>(dialog, "updateButton", 390, 520, 140, 30, 10);
    updateButton->setAutoDefault(false);
    updateButton->setFlat(false);

    setupValuePanels(*this, dialog);

    versionButton = place<QPushButton>(dialog, "versionButton", 10, 520, 140, 30, 10);
    versionButton->setAutoDefault(false);
    versionButton->setDefault(false);

    stackPanels(*this);
    retranslateUi(dialog);
    updateButton->setDefault(true);
    QMetaObject::connectSlotsByName(dialog);
}

void Ui_StatusDialog::retranslateUi(QDialog *dialog)
{
    dialog->setWindowTitle(QCoreApplication::translate("StatusDialog", "ZR Information"));
    const QString label = QStringLiteral("TextLabel");
    printerlabel->setText(label);
    mediaGroupBox->setTitle(QString());
    label_MediaSize->setText(label);
    label_Per0->setText(QCoreApplication::translate("StatusDialog", "0%"));
    label_Per50->setText(QCoreApplication::translate("StatusDialog", "50%"));
    label_Per100->setText(QCoreApplication::translate("StatusDialog", "100%"));
    label_MediaSizeDetails->setText(label);
    label_MediaGroup->setText(label);
    statusGroupBox->setTitle(QString());
    label_Status->setText(label);
    label_StatusMessage->setText(label);
    label_StatusGroup->setText(label);
    updateButton->setText(QStringLiteral("PushButton"));
    totalCountGroupBox->setTitle(QString());
    label_TCGroup->setText(label);
    label_TCValue->setText(label);
    FWVersionBox->setTitle(QString());
    label_FWGroup->setText(label);
    label_FWValue->setText(label);
    serialGroupBox->setTitle(QString());
    label_Serial->setText(label);
    label_SerialValue->setText(label);
    versionButton->setText(QStringLiteral("PushButton"));
}

// Widgets of the main window, at fixed positions in a window of fixed size.
#pragma once

class QComboBox;
class QDialog;
class QFrame;
class QGraphicsView;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

struct Ui_StatusDialog {
    QLabel *printerlabel;
    QComboBox *printerComboBox;
    QGroupBox *mediaGroupBox;
    QLabel *label_MediaSize;
    QLabel *label_Per0;
    QLabel *label_Per50;
    QLabel *label_Per100;
    QProgressBar *progressBar;
    QLabel *label_MediaSizeDetails;
    QFrame *frame_3;
    QLabel *label_MediaGroup;
    QGroupBox *statusGroupBox;
    QLabel *label_Status;
    QLabel *label_StatusMessage;
    QGraphicsView *graphicsView;
    QFrame *frame_2;
    QLabel *label_StatusGroup;
    QPushButton *updateButton;
    QGroupBox *totalCountGroupBox;
    QLabel *label_TCGroup;
    QFrame *frame;
    QLabel *label_TCValue;
    QGroupBox *FWVersionBox;
    QLabel *label_FWGroup;
    QFrame *frame_4;
    QLabel *label_FWValue;
    QGroupBox *serialGroupBox;
    QLabel *label_Serial;
    QFrame *frame_5;
    QLabel *label_SerialValue;
    QPushButton *versionButton;

    void setupUi(QDialog *dialog);
    void retranslateUi(QDialog *dialog);
};

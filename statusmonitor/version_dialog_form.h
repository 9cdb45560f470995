// Widgets of the About dialog.
#pragma once

class QDialog;
class QGraphicsView;
class QLabel;

struct Ui_VersionDialog {
    QGraphicsView *graphicsView;
    QLabel *label_VersionNo;
    QLabel *label_CopyRight;

    void setupUi(QDialog *dialog);
    void retranslateUi(QDialog *dialog);
};

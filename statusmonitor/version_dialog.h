// The About dialog: program icon, version and rights notice.
#pragma once

#include <QDialog>

struct Ui_VersionDialog;
class QGraphicsScene;

class VersionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit VersionDialog(QWidget *parent = nullptr);
    ~VersionDialog() override;

private:
    Ui_VersionDialog *ui;
    QGraphicsScene *iconScene;
};

extern const char kProgramVersion[];

// The main window: lists the ZR queues, watches the chosen printer through
// the daemon's files in /tmp and shows each reading.
#pragma once

#include "version_dialog.h"

#include <QDialog>
#include <QMap>
#include <QString>

struct Ui_StatusDialog;
class QGraphicsScene;
class QThread;
class StatusMonitor;

class StatusDialog : public QDialog
{
    Q_OBJECT
public:
    explicit StatusDialog(QWidget *parent = nullptr);
    ~StatusDialog() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void upDateStatus(QMap<QString, QString> map);
    void comboBox_indexChanged(int i);
    void push_update();
    void push_version();

private:
    void threadStart(QString filePath);
    void threadQuit();
    void setUIOffline();
    void setUiParam(QString mediaSize, QString mediaDetails, int percent, QString picture,
                    QString statusText, QString message, QString serial, QString totalCount,
                    QString version);
    QString getStatusMessageString(QString code);
    QString getMediaSizeString(QString code);
    bool isRegisterPrinter();

    void showPicture(const QString &picture);
    void refreshPrinterList();
    void switchWatchFile(const QString &oldSerial);
    QString sheetsDetail(const QString &initial, const QString &remain, bool hideRemaining,
                         int *percent);

    Ui_StatusDialog *ui;
    QThread *monitorThread;
    StatusMonitor *monitor;
    bool threadRunning;
    QMap<QString, QString> printerMap;
    QString currentSerial;
    VersionDialog versionDialog;
    QString lastTotalCount;
    QString utilFilePath;
    QGraphicsScene *statusScene;
};

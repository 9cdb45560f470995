// The main window: lists the ZR queues, watches the chosen printer through
// the daemon's files in /tmp and shows each reading.
#pragma once

#include "version_dialog.h"

#include "zr_queues.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <QThread>

struct Ui_StatusDialog;
class QGraphicsScene;
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

signals:
    // The printer list was filled from a fresh answer of CUPS.
    void printerListShown();
    // Asks the queue lister's thread for the ZR queues.
    void queuesWanted();

private:
    void queuesListed(QVector<ZrQueue> queues);
    void askForQueues(bool fillList);

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
    // CUPS is asked in its own thread; the window keeps the last answer.
    QThread listerThread;
    QueueLister *lister;
    bool hasQueue = false;
    bool asking = false;
    bool fillListOnAnswer = false;
    bool askAgain = false;
    bool versionPlaced = false;
};

// Polling worker: reads one printer information file every period and hands
// the values to the window as a status map.
#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class QTimerEvent;

using StatusMap = QMap<QString, QString>;

class StatusMonitor : public QObject
{
    Q_OBJECT
public:
    StatusMonitor(QString filePath, int interval, QObject *parent = nullptr);
    ~StatusMonitor() override;

    // One reading, retried once 100 ms later when the first read failed.
    QMap<QString, QString> getPrinterStatus();
    // Fills `map` from the file; false when it is missing, unopenable or not
    // of the fifteen-line form (a half-written file usually is not). Only a
    // plain file of at most 4096 bytes, of root or of the current user, is
    // read, never through a link: anything else gives the offline map.
    bool createStatusMap(QMap<QString, QString> &map);

signals:
    void statusNotification(QMap<QString, QString> statusMap);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    int interval;
    int timerId;
    QString filePath;
};

// The map the window shows as "no printer": the daemon has not written the
// file yet, or the printer left.
QMap<QString, QString> offlineStatusMap();

// The one place the status monitor asks the local CUPS anything: which
// queues lead to a ZR printer.
#pragma once

#include <QObject>
#include <QString>
#include <QVector>

struct ZrQueue {
    QString name;
    QString deviceUri;
};

// The ZR queues in CUPS order (a queue with instances once per instance).
QVector<ZrQueue> listZrQueues();

// Asks CUPS in the thread it lives in, so that a slow or absent scheduler
// never holds up the window: each list() call answers with listed().
class QueueLister : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void list();
signals:
    void listed(QVector<ZrQueue> queues);
};

// Everything after the first "serial=" of a device URI (empty when nothing
// follows it); `found` tells whether the URI has a "serial=" at all.
QString serialOfUri(const QString &uri, bool *found);

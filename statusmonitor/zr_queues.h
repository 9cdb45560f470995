// The one place the status monitor asks the local CUPS anything: which
// queues lead to a ZR printer.
#pragma once

#include <QString>
#include <QVector>

struct ZrQueue {
    QString name;
    QString deviceUri;
};

// The ZR queues in CUPS order (a queue with instances once per instance).
QVector<ZrQueue> listZrQueues();

// True when at least one ZR queue exists.
bool hasZrQueue();

// Everything after the first "serial=" of a device URI (empty when nothing
// follows it); `found` tells whether the URI has a "serial=" at all.
QString serialOfUri(const QString &uri, bool *found);

// Printer information files as the daemon writes them, for the tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

struct InfoValues {
    QByteArray status = "00000";
    QByteArray message = "00001";
    QByteArray version = "1.53";
    QByteArray serial = "A1234";
    QByteArray mediaSize = "310";
    QByteArray initial = "400";
    QByteArray remain = "350";
    QByteArray total = "5678";
};

// The fifteen lines of the daemon's file, each ended by a line feed.
inline QByteArray infoFileText(const InfoValues &v)
{
    return "#PRINTER_INFORMATION\nMODEL=\"ZR\"\nPRINTER_STATUS=\"" + v.status +
           "\"\nPRINTER_MESSAGE=\"" + v.message + "\"\nPRINTER_VERSION=\"" + v.version +
           "\"\nPRINTER_SERIAL_NO=\"" + v.serial +
           "\"\n\n#MEDIA_INFORMATION\nMEDIA_SIZE=\"" + v.mediaSize + "\"\nMEDIA_INITIAL=\"" +
           v.initial + "\"\nMEDIA_REMAIN=\"" + v.remain +
           "\"\n\n#COUNTER_INFORMATION\nTOTAL_COUNT=\"" + v.total + "\"\n\n";
}

// Rewrites the file in place, as the daemon does.
inline bool writeInfoFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

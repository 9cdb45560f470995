// Printer information files as the daemon writes them, for the tests.
#pragma once

#include "shared_files.h"

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

// The fifteen lines of the daemon's file, each ended by a line feed, made
// with the line form the daemon writes.
inline QByteArray infoFileText(const InfoValues &v)
{
    auto line = [](const char *key, const QByteArray &value) {
        return QByteArray::fromStdString(KeyValueLine(key, value.toStdString()));
    };
    return "#PRINTER_INFORMATION\n" + line("MODEL", "ZR") + line("PRINTER_STATUS", v.status) +
           line("PRINTER_MESSAGE", v.message) + line("PRINTER_VERSION", v.version) +
           line("PRINTER_SERIAL_NO", v.serial) + "\n#MEDIA_INFORMATION\n" + line("MEDIA_SIZE", v.mediaSize) +
           line("MEDIA_INITIAL", v.initial) + line("MEDIA_REMAIN", v.remain) + "\n#COUNTER_INFORMATION\n" +
           line("TOTAL_COUNT", v.total) + "\n";
}

// Rewrites the file in place, as the daemon does.
inline bool writeInfoFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

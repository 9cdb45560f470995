// What a status, message or media code from the information file means to
// the window: catalogue keys and pictures.
#pragma once

#include <QString>

struct StatusLook {
    QString textKey;  // catalogue key in the context "StatusDialog"
    QString picture;  // resource path of the status picture
};

// The value of "PRINTER_STATUS" as the window reads it: not a number reads
// as 0, nothing at all as 99999 (no printer).
int statusCodeOf(const QString &value);

constexpr int kOfflineStatus = 99999;
constexpr int kRibbonEndStatus = 1200;

// Text key and picture for a status code other than 99999.
StatusLook statusLookFor(int code);

// Statuses under which an unrecognised media size is worth a warning line.
bool warnsOfUnknownMedia(int code);

// "ms_" and the code in five digits, or empty for a code without a message.
QString messageKeyFor(const QString &value);

// "size_" and the code in five digits, or empty for an unknown size.
QString mediaSizeKeyFor(const QString &value);

extern const char *const kOfflinePicture;

// Which compiled-in catalogue a system locale gets.
#pragma once

#include <QString>

// Resource name (without ".qm") of the catalogue for a BCP 47 locale name;
// English for any language without its own catalogue.
QString catalogueForLocale(const QString &bcp47Name);

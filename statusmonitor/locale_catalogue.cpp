#include "locale_catalogue.h"

QString catalogueForLocale(const QString &bcp47Name)
{
    static const char *const kLanguages[] = {"zh", "en", "fr", "de", "ja", "es"};
    for (const char *language : kLanguages) {
        if (bcp47Name.startsWith(QLatin1String(language), Qt::CaseInsensitive))
            return QStringLiteral(":/translations/localize_") + QLatin1String(language);
    }
    return QStringLiteral(":/translations/localize_en");
}

// The compiled-in catalogues, the locale table and the status pictures.
#include "locale_catalogue.h"
#include "status_tables.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QResource>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtEndian>
#include <QtTest>

int qInitResources_statusmonitor();

namespace {

const QStringList kLanguages = {"zh", "en", "fr", "de", "ja", "es"};

struct Message {
    QString context;
    QString key;
    QString text;
};

QVector<Message> readSource(const QString &language)
{
    QFile file(QStringLiteral(KZR_TS_DIR "/localize_") + language + ".ts");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QVector<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            current = {context, xml.readElementText(), QString()};
        else if (xml.name() == QLatin1String("translation")) {
            current.text = xml.readElementText();
            messages.push_back(current);
        }
    }
    return xml.hasError() ? QVector<Message>() : messages;
}

QMap<QString, QString> byKey(const QVector<Message> &messages, const QString &context)
{
    QMap<QString, QString> map;
    for (const Message &m : messages) {
        if (m.context == context)
            map.insert(m.key, m.text);
    }
    return map;
}

const QStringList kPictures = {
    "PrtStsIdle",      "PrtStsPrinting",   "PrtStsCooling",   "PrtStsCoverOpen",
    "PrtStsNoScrapBox", "PrtStsPaperEnd",  "PrtStsRibbonEnd", "PrtStsPaperJam",
    "PrtStsRibbonErr", "PrtStsPaperErr",   "PrtStsSystemErr01", "PrtStsOffline",
};

} // namespace

class CatalogueTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(qInitResources_statusmonitor(), 1); }

    void localeTable_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("catalogue");
        const QString base = ":/translations/localize_";
        QTest::newRow("en-US") << "en-US" << base + "en";
        QTest::newRow("zh-Hant-TW") << "zh-Hant-TW" << base + "zh";
        QTest::newRow("zh-CN") << "zh-CN" << base + "zh";
        QTest::newRow("fr-CA") << "fr-CA" << base + "fr";
        QTest::newRow("upper-case DE") << "DE" << base + "de";
        QTest::newRow("ja") << "ja" << base + "ja";
        QTest::newRow("es-MX") << "es-MX" << base + "es";
        QTest::newRow("pt-BR") << "pt-BR" << base + "en";
        QTest::newRow("it") << "it" << base + "en";
        QTest::newRow("C") << "C" << base + "en";
    }
    void localeTable()
    {
        QFETCH(QString, locale);
        QFETCH(QString, catalogue);
        QCOMPARE(catalogueForLocale(locale), catalogue);
        QTranslator translator;
        QVERIFY(translator.load(catalogue));
    }

    // Every compiled catalogue answers all 69 keys with the text of its
    // source, and every source has the same keys.
    void everyCatalogueHoldsAll69Messages()
    {
        const QVector<Message> english = readSource("en");
        QCOMPARE(english.size(), 69);
        QCOMPARE(byKey(english, "StatusDialog").size(), 67);
        QCOMPARE(byKey(english, "VersionDialog").size(), 2);
        for (const QString &language : kLanguages) {
            const QVector<Message> messages = readSource(language);
            QCOMPARE(messages.size(), 69);
            QTranslator translator;
            QVERIFY2(translator.load(catalogueForLocale(language)), qPrintable(language));
            for (int i = 0; i < messages.size(); ++i) {
                const Message &m = messages[i];
                QCOMPARE(m.context + "/" + m.key, english[i].context + "/" + english[i].key);
                const QString loaded = translator.translate(m.context.toLatin1(), m.key.toUtf8());
                QVERIFY2(!loaded.isNull(), qPrintable(language + ": " + m.key));
                QCOMPARE(loaded, m.text);
            }
        }
    }

    // The codes the window knows map to the keys of the catalogues, which is
    // what the translate markers in the tables promise lupdate; the rest
    // (undocumented statuses, unknown messages and sizes) fall back as before.
    void tableKeysAreCatalogueKeys()
    {
        const QMap<QString, QString> english = byKey(readSource("en"), "StatusDialog");
        QSet<QString> used;
        for (int code = 0; code <= 3100; ++code) {
            for (const QString &key : {statusLookFor(code).textKey, messageKeyFor(QString::number(code)),
                                       mediaSizeKeyFor(QString::number(code))}) {
                if (!key.isEmpty())
                    used.insert(key);
            }
        }
        for (const QString &key : used)
            QVERIFY2(english.contains(key), qPrintable(key));
        QCOMPARE(used.size(), 23 + 26 + 4);
    }

    // Twelve different pictures of 346 x 346 pixels, photographed as one
    // sheet for people to look at.
    void statusPictures()
    {
        QSet<QByteArray> digests;
        QImage sheet(4 * 346, 3 * 346, QImage::Format_RGB32);
        QPainter painter(&sheet);
        for (int i = 0; i < kPictures.size(); ++i) {
            QFile file(":/images/" + kPictures[i] + ".bmp");
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray data = file.readAll();
            const QImage image = QImage::fromData(data, "BMP");
            QCOMPARE(image.size(), QSize(346, 346));
            QSet<QRgb> colours;
            for (int y = 0; y < 346; y += 2)
                for (int x = 0; x < 346; x += 2)
                    colours.insert(image.pixel(x, y));
            QVERIFY2(colours.size() > 10, qPrintable(kPictures[i]));
            digests.insert(QCryptographicHash::hash(data, QCryptographicHash::Sha1));
            painter.drawImage((i % 4) * 346, (i / 4) * 346, image);
        }
        QCOMPARE(digests.size(), kPictures.size());
        QVERIFY(QDir().mkpath(KZR_SHOT_DIR));
        QVERIFY(sheet.save(KZR_SHOT_DIR "/status_pictures.png"));
    }
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogues.moc"

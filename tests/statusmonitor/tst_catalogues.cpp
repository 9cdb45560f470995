// The compiled-in catalogues, the locale table and the status pictures.
#include "locale_catalogue.h"
#include "status_tables.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

int qInitResources_statusmonitor();

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
        QTest::newRow("fr-CA") << "fr-CA" << base + "fr";
        QTest::newRow("upper-case DE") << "DE" << base + "de";
        QTest::newRow("ja") << "ja" << base + "ja";
        QTest::newRow("es-MX") << "es-MX" << base + "es";
        QTest::newRow("pt-BR") << "pt-BR" << base + "en";
        QTest::newRow("C") << "C" << base + "en";
    }
    void localeTable()
    {
        QFETCH(QString, locale);
        QFETCH(QString, catalogue);
        QCOMPARE(catalogueForLocale(locale), catalogue);
    }

    // Each language's compiled-in catalogue answers every message of its
    // source with the text written there, none left empty.
    void compiledCataloguesMatchTheirSources()
    {
        for (const QString language : {"zh", "en", "fr", "de", "ja", "es"}) {
            QTranslator translator;
            QVERIFY(translator.load(":/translations/localize_" + language));
            QFile source(KZR_TS_DIR "/localize_" + language + ".ts");
            QVERIFY(source.open(QIODevice::ReadOnly));
            QXmlStreamReader xml(&source);
            QByteArray context, key;
            int messages = 0;
            while (!xml.atEnd()) {
                if (xml.readNext() != QXmlStreamReader::StartElement)
                    continue;
                if (xml.name() == QLatin1String("name")) {
                    context = xml.readElementText().toUtf8();
                } else if (xml.name() == QLatin1String("source")) {
                    key = xml.readElementText().toUtf8();
                } else if (xml.name() == QLatin1String("translation")) {
                    const QString text = xml.readElementText();
                    QVERIFY2(!text.isEmpty(), qPrintable(language + ": " + key));
                    QCOMPARE(translator.translate(context, key), text);
                    ++messages;
                }
            }
            QVERIFY2(!xml.hasError() && messages > 0, qPrintable(language));
        }
    }

    // Every picture the window can show is a distinct picture of 346 x 346
    // pixels.
    void statusPictures()
    {
        QStringList pictures = {kOfflinePicture};
        for (int code = 0; code <= 3100; ++code) {
            if (!pictures.contains(statusLookFor(code).picture))
                pictures << statusLookFor(code).picture;
        }
        QSet<QByteArray> digests;
        for (int i = 0; i < pictures.size(); ++i) {
            QFile file(pictures[i]);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(pictures[i]));
            const QByteArray data = file.readAll();
            const QImage image = QImage::fromData(data, "BMP");
            QCOMPARE(image.size(), QSize(346, 346));
            digests.insert(QCryptographicHash::hash(data, QCryptographicHash::Sha1));
        }
        QCOMPARE(digests.size(), pictures.size());
    }
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogues.moc"

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

    void englishTexts()
    {
        QTranslator translator;
        QVERIFY(translator.load(":/translations/localize_en"));
        auto tr = [&](const char *key) { return translator.translate("StatusDialog", key); };
        QCOMPARE(tr("st_01100"), QString("Paper end"));
        QCOMPARE(tr("ms_00102"), QString("Load new media.\n(Replace the paper and ribbon as a set.)"));
        QCOMPARE(tr("ms_00108"), QString("\n<< Incorrect media type has been loaded. >>"));
        QCOMPARE(tr("size_00200"), QString("5x3.5in"));
        QCOMPARE(tr("select_printer"), QString("Select printer"));
        QCOMPARE(translator.translate("VersionDialog", "Version"), QString("Version"));
    }

    void structureRulesHoldInEveryLanguage()
    {
        const QMap<QString, QString> english = byKey(readSource("en"), "StatusDialog");
        for (const QString &language : kLanguages) {
            const QVector<Message> messages = readSource(language);
            const QMap<QString, QString> t = byKey(messages, "StatusDialog");
            const QMap<QString, QString> v = byKey(messages, "VersionDialog");
            const QString why = language;
            for (const char *key : {"ms_00001", "ms_00002", "ms_00004", "ms_00005"})
                QVERIFY2(t.value(key) == " ", qPrintable(why + " " + key));
            QVERIFY2(t.value("ms_00108").startsWith('\n'), qPrintable(why));
            QVERIFY2(t.value("ms_00108").contains("<<") && t.value("ms_00108").contains(">>"), qPrintable(why));
            QCOMPARE(t.value("0%"), QString("0%"));
            QCOMPARE(t.value("50%"), QString("50%"));
            QCOMPARE(t.value("100%"), QString("100%"));
            QVERIFY2(t.value("ZR Information").startsWith("ZR"), qPrintable(why));
            QCOMPARE(v.value("ZR Information"), t.value("ZR Information"));
            const bool comma = language == "de" || language == "fr" || language == "es";
            QCOMPARE(t.value("size_00200"), QString(comma ? "5x3,5in" : "5x3.5in"));
            QCOMPARE(t.value("size_00210"), QString("5x7in"));
            QCOMPARE(t.value("size_00301"), QString("6x4in"));
            QCOMPARE(t.value("size_00310"), QString("6x8in"));
            // Keys that share a text in English share one in every language.
            for (auto a = english.cbegin(); a != english.cend(); ++a) {
                for (auto b = std::next(a); b != english.cend(); ++b) {
                    if (a.value() == b.value())
                        QVERIFY2(t.value(a.key()) == t.value(b.key()),
                                 qPrintable(why + " " + a.key() + " " + b.key()));
                }
            }
            // The two-line messages keep their two lines.
            for (const char *key : {"ms_00003", "ms_00102", "ms_00107"})
                QVERIFY2(t.value(key).count('\n') == 1, qPrintable(why + " " + key));
            if (language == "en")
                continue;
            int translated = 0;
            for (auto it = t.cbegin(); it != t.cend(); ++it)
                translated += it.value() != english.value(it.key());
            QVERIFY2(translated >= 50, qPrintable(why));
        }
    }

    void withoutCatalogueTheKeysShow()
    {
        QCOMPARE(QCoreApplication::translate("StatusDialog", "st_00000"), QString("st_00000"));
        QCOMPARE(QCoreApplication::translate("StatusDialog", "select_printer"), QString("select_printer"));
    }

    void resourcesAreStoredAsDescribed()
    {
        for (const QString &language : kLanguages) {
            QResource qm(":/translations/localize_" + language + ".qm");
            QVERIFY(qm.isValid());
            QCOMPARE(qm.compressionAlgorithm(), QResource::ZlibCompression);
        }
        for (const QString &name : kPictures)
            QCOMPARE(QResource(":/images/" + name + ".bmp").compressionAlgorithm(), QResource::ZlibCompression);
        QResource icon(":/images/printer_icon.png");
        QVERIFY(icon.isValid());
        QCOMPARE(icon.compressionAlgorithm(), QResource::NoCompression);
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
        QCOMPARE(statusLookFor(1200).textKey, QString("st_01200"));
        QCOMPARE(statusLookFor(1200).picture, QString(":/images/PrtStsRibbonEnd.bmp"));
        QCOMPARE(statusLookFor(1234).textKey, QString("st_03000"));
        QCOMPARE(statusLookFor(1234).picture, QString(":/images/PrtStsSystemErr01.bmp"));
        QCOMPARE(messageKeyFor("0108"), QString("ms_00108"));
        QCOMPARE(messageKeyFor("109"), QString());
        QCOMPARE(messageKeyFor("x"), QString());
        QCOMPARE(mediaSizeKeyFor("301"), QString("size_00301"));
        QCOMPARE(mediaSizeKeyFor("300"), QString());
    }

    // Twelve different, uncompressed 24-bit bitmaps of 346 x 346 pixels.
    void statusPictures()
    {
        QSet<QByteArray> digests;
        QImage sheet(4 * 346, 3 * 346, QImage::Format_RGB32);
        QPainter painter(&sheet);
        for (int i = 0; i < kPictures.size(); ++i) {
            QFile file(":/images/" + kPictures[i] + ".bmp");
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray data = file.readAll();
            QVERIFY(data.startsWith("BM"));
            const auto *p = reinterpret_cast<const uchar *>(data.constData());
            QCOMPARE(qFromLittleEndian<qint32>(p + 18), 346);
            QCOMPARE(qFromLittleEndian<qint32>(p + 22), 346);
            QCOMPARE(qFromLittleEndian<quint16>(p + 28), quint16(24));
            QCOMPARE(qFromLittleEndian<quint32>(p + 30), quint32(0));
            QCOMPARE(data.size(), 54 + 1040 * 346);  // rows padded to 1040 bytes
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

        QFile iconFile(":/images/printer_icon.png");
        QVERIFY(iconFile.open(QIODevice::ReadOnly));
        const QByteArray png = iconFile.readAll();
        QVERIFY(png.startsWith("\x89PNG"));
        QCOMPARE(int(uchar(png.at(24))), 8);  // bits per channel
        QCOMPARE(int(uchar(png.at(25))), 6);  // RGBA
        const QImage icon = QImage::fromData(png, "PNG");
        QCOMPARE(icon.size(), QSize(256, 256));
        QVERIFY(icon.hasAlphaChannel());
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(128, 140)), 255);
        // Centred: the painted part leaves the same margin on opposite sides
        // (the desktop icons of every size are scaled from the same square).
        int left = 256, right = -1, top = 256, bottom = -1;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                if (qAlpha(icon.pixel(x, y)) > 0) {
                    left = qMin(left, x), right = qMax(right, x);
                    top = qMin(top, y), bottom = qMax(bottom, y);
                }
        QVERIFY2(qAbs(left - (255 - right)) <= 2, qPrintable(QString("left %1, right %2").arg(left).arg(255 - right)));
        QVERIFY2(qAbs(top - (255 - bottom)) <= 2, qPrintable(QString("top %1, bottom %2").arg(top).arg(255 - bottom)));
    }
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogues.moc"

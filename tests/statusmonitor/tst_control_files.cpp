// Control files are created by the desktop user in a world-writable /tmp:
// what others planted under their names must come to no harm.
#include "control_files.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray bytes(const QString &path) { return QFile::encodeName(path); }

mode_t modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(bytes(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class ControlFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        QVERIFY(dir->isValid());
        name = dir->filePath("ZR_A1234_UTIL");
        victim = dir->filePath("victim");
    }

    void createdEmptyWithMode0666()
    {
        const mode_t old = ::umask(022);
        QVERIFY(createControlFile(name));
        ::umask(old);
        QCOMPARE(modeOf(name), mode_t(0666));
        QCOMPARE(QFileInfo(name).size(), qint64(0));

        // Our own file from before is emptied and made removable again.
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
        file.close();
        QVERIFY(::chmod(bytes(name).constData(), 0600) == 0);
        QVERIFY(createControlFile(name));
        QCOMPARE(modeOf(name), mode_t(0666));
        QCOMPARE(QFileInfo(name).size(), qint64(0));
    }

    // Whatever somebody planted under the name is neither followed, emptied,
    // re-moded nor waited on: a link to their file, a link into nowhere
    // (whose target must not appear), a second hard link, a FIFO. Removing
    // the control file removes what sits under the name only.
    void plantedNamesAreLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"link", "dangling link", "hard link", "fifo"})
            QTest::newRow(kind) << QString(kind);
    }
    void plantedNamesAreLeftAlone()
    {
        QFETCH(QString, kind);
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("precious\n") == 9);
        file.close();
        QVERIFY(::chmod(bytes(victim).constData(), 0600) == 0);
        const QString target = dir->filePath("created-by-link");
        if (kind == "link")
            QVERIFY(::symlink(bytes(victim).constData(), bytes(name).constData()) == 0);
        else if (kind == "dangling link")
            QVERIFY(::symlink(bytes(target).constData(), bytes(name).constData()) == 0);
        else if (kind == "hard link")
            QVERIFY(::link(bytes(victim).constData(), bytes(name).constData()) == 0);
        else
            QVERIFY(::mkfifo(bytes(name).constData(), 0600) == 0);

        QVERIFY(!createControlFile(name));
        QVERIFY(modeOf(name) != 0666);
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(contentOf(victim), QByteArray("precious\n"));
        QCOMPARE(modeOf(victim), mode_t(0600));
        removeControlFile(name);
        QVERIFY(!QFileInfo(name).isSymLink() && !QFileInfo::exists(name));
        QCOMPARE(contentOf(victim), QByteArray("precious\n"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString name;
    QString victim;
};

QTEST_GUILESS_MAIN(ControlFilesTest)
#include "tst_control_files.moc"

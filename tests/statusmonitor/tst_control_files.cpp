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

void makeVictim(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("precious\n");
    file.close();
    QVERIFY(::chmod(bytes(path).constData(), 0600) == 0);
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

    void plantedLinksAreLeftAlone()
    {
        makeVictim(victim);
        QVERIFY(::symlink(bytes(victim).constData(), bytes(name).constData()) == 0);
        QVERIFY(!createControlFile(name));
        QCOMPARE(contentOf(victim), QByteArray("precious\n"));
        QCOMPARE(modeOf(victim), mode_t(0600));
        QVERIFY(QFileInfo(name).isSymLink());

        // Removing the control file removes the link, not what it points at.
        removeControlFile(name);
        QVERIFY(!QFileInfo(name).isSymLink());
        QCOMPARE(contentOf(victim), QByteArray("precious\n"));

        // A link into nowhere must not create its target.
        const QString target = dir->filePath("created-by-link");
        QVERIFY(::symlink(bytes(target).constData(), bytes(name).constData()) == 0);
        QVERIFY(!createControlFile(name));
        QVERIFY(!QFileInfo::exists(target));
        removeControlFile(name);

        // A second hard link to somebody's file is not emptied or re-moded.
        QVERIFY(::link(bytes(victim).constData(), bytes(name).constData()) == 0);
        QVERIFY(!createControlFile(name));
        QCOMPARE(contentOf(victim), QByteArray("precious\n"));
        QCOMPARE(modeOf(victim), mode_t(0600));
    }

    void plantedFifoDoesNotBlock()
    {
        QVERIFY(::mkfifo(bytes(name).constData(), 0600) == 0);
        QVERIFY(!createControlFile(name));
        QCOMPARE(modeOf(name), mode_t(0600));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString name;
    QString victim;
};

QTEST_GUILESS_MAIN(ControlFilesTest)
#include "tst_control_files.moc"

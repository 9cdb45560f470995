// The single-instance rule: count the process-list lines that hold the
// install path, leaving out those of the grep pipeline.
#include "single_instance.h"

#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

struct Stream {
    explicit Stream(QByteArray text) : text(std::move(text)), file(fmemopen(this->text.data(), this->text.size(), "r")) {}
    ~Stream() { if (file) std::fclose(file); }
    QByteArray text;
    std::FILE *file;
};

int count(const QByteArray &text, QByteArray *echoed = nullptr)
{
    Stream in(text);
    char *buffer = nullptr;
    size_t size = 0;
    std::FILE *echo = open_memstream(&buffer, &size);
    const int n = countForeignPieces(in.file, echo);
    std::fclose(echo);
    if (echoed)
        *echoed = QByteArray(buffer, int(size));
    std::free(buffer);
    return n;
}

// A process whose command line starts with the install path, like an
// installed copy of the program; with `user` set, a copy run by that user
// id (needs root).
class FakeCopy
{
public:
    explicit FakeCopy(int user = -1)
    {
        const QString copy = QString("exec -a %1 sleep 120").arg(kInstallPath);
        if (user < 0) {
            process.start("bash", {"-c", copy});
        } else {
            const QString id = QString::number(user);
            process.start("setpriv", {"--reuid=" + id, "--regid=" + id, "--clear-groups",
                                      "bash", "-c", copy});
        }
        process.waitForStarted();
    }
    ~FakeCopy()
    {
        process.kill();
        process.waitForFinished();
    }
    // True once bash has turned into the renamed sleep.
    bool ready()
    {
        QFile cmdline(QString("/proc/%1/cmdline").arg(process.processId()));
        return cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().startsWith(kInstallPath);
    }

private:
    QProcess process;
};

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT
private slots:
    void piecesWithoutGrepAreCounted()
    {
        const QByteArray path(kInstallPath);
        QByteArray echoed;
        const QByteArray listing = "user 10 " + path + "\nuser 11 sh -c ps auxww | grep " + path +
                                   "\nuser 12 grep " + path + "\nuser 13 " + path + "\n";
        QCOMPARE(count(listing, &echoed), 2);
        QCOMPARE(echoed, listing);
    }

    void twoCopiesStartThreeDoNot()
    {
        QVERIFY2(!checkDoubleStartApp(), "copies of the program are already running");
        std::vector<std::unique_ptr<FakeCopy>> copies;
        for (int i = 0; i < 2; ++i)
            copies.emplace_back(new FakeCopy);
        for (auto &copy : copies)
            QTRY_VERIFY(copy->ready());
        QVERIFY(!checkDoubleStartApp());

        copies.emplace_back(new FakeCopy);
        QTRY_VERIFY(copies.back()->ready());
        QVERIFY(checkDoubleStartApp());

        // The program itself gives up at once with status 255, no window.
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(KZR_PROGRAM, QStringList());
        QVERIFY(program.waitForStarted());
        if (!program.waitForFinished(20000)) {
            program.kill();
            program.waitForFinished();
            QFAIL("the program did not give way to the running copies");
        }
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 255);
    }

    // Only the copies of the user who starts the program count: another
    // user's copies, however many, stop nobody else's monitor.
    void copiesOfOtherUsersDoNotCount()
    {
        if (::geteuid() != 0)
            QSKIP("running copies as another user needs root");
        QVERIFY2(!checkDoubleStartApp(), "copies of the program are already running");
        std::vector<std::unique_ptr<FakeCopy>> copies;
        for (int i = 0; i < 3; ++i)
            copies.emplace_back(new FakeCopy(65534));
        for (auto &copy : copies)
            QTRY_VERIFY(copy->ready());
        QVERIFY(!checkDoubleStartApp());

        // Nor do they add to this user's two.
        for (int i = 0; i < 2; ++i)
            copies.emplace_back(new FakeCopy);
        for (auto &copy : copies)
            QTRY_VERIFY(copy->ready());
        QVERIFY(!checkDoubleStartApp());
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_single_instance.moc"

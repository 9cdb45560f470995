// The single-instance rule: count the process-list lines that hold the
// install path, leaving out those of the grep pipeline.
#include "single_instance.h"

#include <QProcess>
#include <QtTest>

#include <memory>

#include <unistd.h>

namespace {

// A process whose command line starts with the install path, like an
// installed copy of the program; with `user` set, a copy run by that user
// id (needs root).
class FakeCopy
{
public:
    explicit FakeCopy(int user = -1)
    {
        QStringList command = {"bash", "-c", QString("exec -a %1 sleep 120").arg(kInstallPath)};
        const QString id = QString::number(user);
        if (user >= 0)
            command = QStringList{"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"} + command;
        process.start(command.takeFirst(), command);
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
    // Two copies of the user's own may run, a third may not; copies of other
    // users, however many, count for nothing. The program itself gives way
    // at once with status 255, no window.
    void twoCopiesStartThreeDoNot()
    {
        QVERIFY2(!checkDoubleStartApp(), "copies of the program are already running");
        std::vector<std::unique_ptr<FakeCopy>> copies;
        // Running copies as another user needs root.
        for (int i = 0; i < (::geteuid() == 0 ? 3 : 0); ++i)
            copies.emplace_back(new FakeCopy(65534));
        for (int i = 0; i < 2; ++i)
            copies.emplace_back(new FakeCopy);
        for (auto &copy : copies)
            QTRY_VERIFY(copy->ready());
        QVERIFY(!checkDoubleStartApp());

        copies.emplace_back(new FakeCopy);
        QTRY_VERIFY(copies.back()->ready());
        QVERIFY(checkDoubleStartApp());

        QProcess program;
        program.start(KZR_PROGRAM, QStringList());
        QVERIFY2(program.waitForFinished(20000), "the program did not give way to the running copies");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 255);
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_single_instance.moc"

// Starts the real executable: a second copy must end at once and silently,
// and a lock left by a copy that was killed must not block the next one.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

class TestStartup final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void secondCopyEndsAtOnce();
    void lockOfKilledCopyDoesNotBlock();

private:
    void start(QProcess &process);
    qint64 lockOwner() const;

    QString m_program;
    QTemporaryDir m_tmp;
};

void TestStartup::initTestCase()
{
    const QString dir = qEnvironmentVariable("COFREL_PROGRAM_DIR");
    m_program = QDir(dir).filePath(QStringLiteral("cofrel"));
    if (!QFile::exists(m_program))
        QSKIP("the program folder has not been built");
    QVERIFY(m_tmp.isValid());
}

void TestStartup::start(QProcess &process)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TMPDIR"), m_tmp.path()); // our own lock folder
    process.setProcessEnvironment(env);
    process.start(m_program, {});
    QVERIFY(process.waitForStarted());
}

qint64 TestStartup::lockOwner() const
{
    QFile lock(QDir(m_tmp.path()).filePath(QStringLiteral("VelunorCofrel19990526.lock")));
    if (!lock.open(QIODevice::ReadOnly))
        return -1;
    return lock.readLine().trimmed().toLongLong();
}

void TestStartup::secondCopyEndsAtOnce()
{
    QProcess first;
    start(first);
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first.processId(), 10000);

    QProcess second;
    start(second);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().isEmpty());
    QCOMPARE(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished();
}

void TestStartup::lockOfKilledCopyDoesNotBlock()
{
    QProcess crashed;
    start(crashed);
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), crashed.processId(), 10000);
    crashed.kill(); // SIGKILL: the lock file stays behind
    crashed.waitForFinished();

    QProcess next;
    start(next);
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), next.processId(), 10000);
    QCOMPARE(next.state(), QProcess::Running);
    next.kill();
    next.waitForFinished();
}

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"

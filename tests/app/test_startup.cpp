// Starts the real executable: a second copy in the same session must end at
// once and silently, a lock left by a copy that was killed, or one that
// names no owner, must not block the next one, and copies in two sessions
// do not see each other.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

class TestStartup final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        const QString dir = qEnvironmentVariable("COFREL_PROGRAM_DIR");
        m_program = QDir(dir).filePath(QStringLiteral("cofrel"));
        if (!QFile::exists(m_program))
            QSKIP("the program folder has not been built");
        QVERIFY(m_tmp.isValid());
        QVERIFY(m_sessao.isValid());
        QVERIFY(m_outraSessao.isValid());
        m_arquivo = m_outraSessao.filePath(QStringLiteral("arquivo"));
        QFile arquivo(m_arquivo);
        QVERIFY(arquivo.open(QIODevice::WriteOnly));
    }

    void secondCopyEndsAtOnce_data()
    {
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<bool>("naSessao"); // the lock in the runtime folder, or in the temporary one
        QTest::newRow("session runtime folder") << m_sessao.path() << true;
        QTest::newRow("no runtime folder") << QString() << false;
        QTest::newRow("runtime folder is a file") << m_arquivo << false;
    }

    void secondCopyEndsAtOnce()
    {
        QFETCH(QString, runtime);
        QFETCH(bool, naSessao);
        const QString lockFolder = naSessao ? m_sessao.path() : m_tmp.path();
        const QString otherFolder = naSessao ? m_tmp.path() : m_sessao.path();

        QProcess first;
        start(first, runtime);
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockFolder), first.processId(), 10000);
        QVERIFY(lockOwner(otherFolder) != first.processId());

        QProcess second;
        start(second, runtime);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAllStandardOutput().isEmpty());
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        first.waitForFinished();
    }

    void lockOfKilledCopyDoesNotBlock()
    {
        QProcess crashed;
        start(crashed, m_sessao.path());
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(m_sessao.path()), crashed.processId(), 10000);
        crashed.kill(); // SIGKILL: the lock file stays behind
        crashed.waitForFinished();

        startsAndTakesTheLock();
    }

    void ownerlessLockDoesNotBlock_data()
    {
        QTest::addColumn<QByteArray>("conteudo");
        QTest::addColumn<bool>("legivel");
        QTest::newRow("vazio") << QByteArray() << true;
        QTest::newRow("lixo") << QByteArray("n\xe3o \x01 \xff\n") << true;
        QTest::newRow("ilegível") << QByteArray("1\n") << false;
    }

    void ownerlessLockDoesNotBlock()
    {
        QFETCH(QByteArray, conteudo);
        QFETCH(bool, legivel);
        QFile lock(QDir(m_sessao.path()).filePath(QStringLiteral("VelunorCofrel19990526.lock")));
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(lock.write(conteudo), conteudo.size());
        lock.close();
        if (!legivel)
            QVERIFY(lock.setPermissions({}));

        startsAndTakesTheLock();
    }

    void otherSessionDoesNotBlock()
    {
        QProcess first;
        start(first, m_sessao.path());
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(m_sessao.path()), first.processId(), 10000);

        QProcess other;
        start(other, m_outraSessao.path());
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(m_outraSessao.path()), other.processId(), 10000);
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(other.state(), QProcess::Running);

        for (QProcess *p : {&first, &other}) {
            p->kill();
            p->waitForFinished();
        }
    }

private:
    // Starts the program with its own temporary folder and, unless empty,
    // \a runtime as the session's runtime folder.
    void start(QProcess &process, const QString &runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), m_tmp.path());
        if (runtime.isEmpty())
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        else
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        process.setProcessEnvironment(env);
        process.start(m_program, {});
        QVERIFY(process.waitForStarted());
    }

    qint64 lockOwner(const QString &folder)
    {
        QFile lock(QDir(folder).filePath(QStringLiteral("VelunorCofrel19990526.lock")));
        if (!lock.open(QIODevice::ReadOnly))
            return -1;
        return lock.readLine().trimmed().toLongLong();
    }

    // A copy started now runs and holds the session's lock.
    void startsAndTakesTheLock()
    {
        QProcess next;
        start(next, m_sessao.path());
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(m_sessao.path()), next.processId(), 10000);
        QCOMPARE(next.state(), QProcess::Running);
        next.kill();
        next.waitForFinished();
    }

    QString m_program;
    QTemporaryDir m_tmp;
    QTemporaryDir m_sessao;
    QTemporaryDir m_outraSessao;
    QString m_arquivo; // a file where the runtime folder should be
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"

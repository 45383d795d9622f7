// The program as a person installs it: the Debian package is made from this
// build, unpacked into a scratch root (the machine is left alone) and its
// program started from there with a scratch home. The data must go to the
// person's own data folder, owner-only, with the empty tables; the login
// must be reached; nothing may be written under the root. Beside that, the
// portable program folder keeps its data beside the executable.
//
// The login is seen from outside: the login window's list is the first
// thing that reads the registry, and the program keeps it open afterwards.
#include "app/icone_cofrel.h"
#include "app/errors.h"
#include "app/program_folders.h"
#include "support/test_folder.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int Espera = 60000; // a loaded machine, a sanitizer build

QString runTool(const QString &program, const QStringList &args)
{
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForFinished(240000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        qWarning().noquote() << program << args.join(u' ') << "falhou:\n"
                             << tool.readAllStandardOutput() << tool.readAllStandardError();
        return {};
    }
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QFile::Permissions modes(const QString &path)
{
    return QFileInfo(path).permissions()
           & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup
              | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
}

constexpr QFile::Permissions FolderOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions FileOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file and folder under \a root with its size, modes and time.
QStringList portrait(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries << u"%1 %2 %3 %4"_s.arg(info.filePath())
                       .arg(info.isDir() ? 0 : info.size())
                       .arg(int(modes(info.filePath())), 0, 8)
                       .arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

// True when process \a pid holds file \a path open.
bool holdsOpen(qint64 pid, const QString &path)
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    if (wanted.isEmpty())
        return false;
    const QDir fds(u"/proc/%1/fd"_s.arg(pid));
    const QFileInfoList links = fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    return std::any_of(links.cbegin(), links.cend(),
                       [&](const QFileInfo &link) { return link.symLinkTarget() == wanted; });
}

bool copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    for (const QFileInfo &entry : source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir() ? !copyFolder(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

} // namespace

class TestInstalacao final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_scratch.isValid());
    }

    void packageBuilds()
    {
        const QString source = qEnvironmentVariable("COFREL_SOURCE_DIR");
        const QString build = qEnvironmentVariable("COFREL_BUILD_DIR");
        const QString output = QDir(m_scratch.path()).filePath(u"pacote"_s);
        const QString deb = runTool(u"bash"_s, {source + u"/scripts/package.sh"_s, u"--build"_s, build,
                                                u"--output"_s, output})
                                .split(u'\n')
                                .last();
        const QString arch = runTool(u"dpkg"_s, {u"--print-architecture"_s});
        QCOMPARE(deb, QDir(output).filePath(u"cofrel_1.0-1_%1.deb"_s.arg(arch)));
        QVERIFY(QFile::exists(deb));

        // The libraries' packages come from the executable; the plugins and the
        // font are named.
        const QString depends = runTool(u"dpkg-deb"_s, {u"-f"_s, deb, u"Depends"_s});
        for (const char *package : {"libc6 (", "libqt6core6 (", "libqt6widgets6 (",
                                    "libqt6sql6-sqlite", "qt6-qpa-plugins"})
            QVERIFY2(depends.contains(QLatin1StringView(package)), qPrintable(depends));
        QCOMPARE(runTool(u"dpkg-deb"_s, {u"-f"_s, deb, u"Recommends"_s}), u"fonts-wine"_s);

        const QString root = QDir(m_scratch.path()).filePath(u"raiz"_s);
        QVERIFY(runTool(u"dpkg-deb"_s, {u"-x"_s, deb, root}).isEmpty());
        for (const char *file :
             {"usr/bin/cofrel", "usr/share/cofrel/fundo.bmp", "usr/share/cofrel/Ajuda.html",
              "usr/share/cofrel/dados/users.db", "usr/share/cofrel/dados/fin.DB", "usr/share/cofrel/dados/dfin.DB",
              "usr/share/applications/cofrel.desktop", "usr/share/metainfo/br.com.velunor.cofrel.metainfo.xml",
              "usr/share/icons/hicolor/scalable/apps/cofrel.svg", "usr/share/icons/hicolor/16x16/apps/cofrel.png",
              "usr/share/icons/hicolor/48x48/apps/cofrel.png", "usr/share/icons/hicolor/256x256/apps/cofrel.png",
              "usr/share/doc/cofrel/copyright", "usr/share/doc/cofrel/changelog.Debian.gz",
              "usr/share/man/man1/cofrel.1.gz"})
            QVERIFY2(QFileInfo(QDir(root).filePath(QLatin1StringView(file))).isFile(), file);

        // The theme's icon is the window's.
        for (int side : {16, 48, 256}) {
            const QImage installed(u"%1/usr/share/icons/hicolor/%2x%2/apps/cofrel.png"_s.arg(root).arg(side));
            const QImage window = cofrel::iconeCofrel().pixmap(side, side).toImage();
            QCOMPARE(window.convertToFormat(QImage::Format_ARGB32), installed.convertToFormat(QImage::Format_ARGB32));
        }
        m_root = root;
    }

    void installedFirstStart_data()
    {
        QTest::addColumn<QString>("dataHome"); // XDG_DATA_HOME under the scratch folder; empty: unset
        QTest::addColumn<bool>("oldBooks");    // a portable dados/ copied there before
        QTest::newRow("XDG_DATA_HOME unset") << QString() << false;
        QTest::newRow("XDG_DATA_HOME set") << u"dados-pessoais"_s << false;
        QTest::newRow("old portable books copied in") << u"dados-pessoais"_s << true;
    }

    void installedFirstStart()
    {
        QFETCH(QString, dataHome);
        QFETCH(bool, oldBooks);
        QVERIFY2(!m_root.isEmpty(), "no package was unpacked");
        const QString templates = m_root + u"/usr/share/cofrel/dados/"_s;

        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString xdg = dataHome.isEmpty() ? QString() : home.filePath(dataHome);
        const QString data = (xdg.isEmpty() ? home.filePath(u".local/share"_s) : xdg) + u"/cofrel/dados/"_s;

        // A person's old portable dados/: a registered user with their tables,
        // the registry's name in capitals, one empty table missing.
        QString registry = data + u"users.db"_s;
        QByteArray oldRegistry;
        if (oldBooks) {
            cofrel::test::TestFolder old;
            QVERIFY(old.isValid());
            QCOMPARE(old.addUser(u"Ana"_s, u"segredo"_s), 1);
            QVERIFY(copyFolder(old.dataDir(), data));
            QVERIFY(QFile::remove(data + u"fin.DB"_s));
            registry = data + u"USERS.DB"_s;
            QVERIFY(QFile::rename(data + u"users.db"_s, registry));
            oldRegistry = contents(registry);
        }

        const QStringList before = portrait(m_root);
        QProcess program;
        auto stop = qScopeGuard([&] {
            program.kill();
            program.waitForFinished();
        });
        start(program, m_root + u"/usr/bin/cofrel"_s, home.path(), xdg);
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(holdsOpen(program.processId(), registry), Espera);
        QCOMPARE(program.state(), QProcess::Running);

        if (oldBooks) {
            QCOMPARE(contents(registry), oldRegistry);
            QVERIFY(!QDir(data).entryList(QDir::Files).contains(u"users.db"_s));
            QVERIFY(QFile::exists(data + u"f1.DB"_s));
            QCOMPARE(modes(data + u"fin.DB"_s), FileOwnerOnly);
            QCOMPARE(contents(data + u"fin.DB"_s), contents(templates + u"fin.DB"_s));
        } else {
            QCOMPARE(modes(data), FolderOwnerOnly);
            QCOMPARE(modes(data + u".."_s), FolderOwnerOnly);
            const QStringList present = QDir(data).entryList(QDir::Files | QDir::Hidden);
            for (const QString &table : {u"users.db"_s, u"fin.DB"_s, u"dfin.DB"_s}) {
                QVERIFY2(present.contains(table), qPrintable(present.join(u' ')));
                QCOMPARE(contents(data + table), contents(templates + table));
            }
            for (const QString &file : present)
                QVERIFY2(modes(data + file) == FileOwnerOnly, qPrintable(file));
        }

        stop.dismiss();
        program.kill();
        program.waitForFinished();
        QCOMPARE(portrait(m_root), before);
    }

    void portableFolderKeepsItsData()
    {
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString folder = scratch.filePath(u"Cofrel"_s);
        QVERIFY(copyFolder(qEnvironmentVariable("COFREL_PROGRAM_DIR"), folder));
        const QString home = scratch.filePath(u"casa"_s);
        const QString dataHome = scratch.filePath(u"dados-pessoais"_s);
        QVERIFY(QDir().mkpath(home));

        {
            QProcess program;
            auto stop = qScopeGuard([&] {
                program.kill();
                program.waitForFinished();
            });
            start(program, folder + u"/cofrel"_s, home, dataHome);
            if (QTest::currentTestFailed())
                return;
            QTRY_VERIFY_WITH_TIMEOUT(holdsOpen(program.processId(), folder + u"/dados/users.db"_s), Espera);
            QCOMPARE(program.state(), QProcess::Running);
        }

        QVERIFY(!QFileInfo::exists(dataHome));
        QVERIFY(!QFileInfo::exists(home + u"/.local/share/cofrel"_s));
    }

    void unusableDataFolderIsNamed_data()
    {
        QTest::addColumn<QString>("fault"); // the path the message must name
        QTest::newRow("data folder is a file") << u"casa/cofrel"_s;
        QTest::newRow("empty table missing") << u"modelos/fin.DB"_s;
    }

    void unusableDataFolderIsNamed()
    {
        QFETCH(QString, fault);
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QDir dir(scratch.path());
        QVERIFY(dir.mkpath(u"modelos"_s) && dir.mkpath(u"casa"_s));
        for (const char *table : {"users.db", "fin.DB", "dfin.DB"})
            QVERIFY(QFile(dir.filePath(u"modelos/"_s + QLatin1StringView(table))).open(QIODevice::WriteOnly));
        if (fault.startsWith(u"modelos/"_s))
            QVERIFY(QFile::remove(dir.filePath(fault)));
        else
            QVERIFY(QFile(dir.filePath(fault)).open(QIODevice::WriteOnly));

        const cofrel::ProgramFolders folders{dir.path() + u'/', dir.filePath(u"casa/cofrel/dados/"_s),
                                             dir.filePath(u"modelos/"_s)};
        QString message;
        try {
            cofrel::prepareDataFolder(folders);
        } catch (const cofrel::Error &e) {
            message = e.message();
        }
        QVERIFY2(message.startsWith(u"Não foi possível"_s), qPrintable(message));
        QVERIFY2(message.contains(QDir::toNativeSeparators(dir.filePath(fault))), qPrintable(message));
    }

private:
    // Starts \a program offscreen with \a home as the home folder and
    // \a dataHome as XDG_DATA_HOME (unset when empty); a runtime and a
    // temporary folder of its own keep it clear of other copies.
    void start(QProcess &process, const QString &program, const QString &home, const QString &dataHome)
    {
        static int sessions = 0;
        const QString session = QDir(m_scratch.path()).filePath(u"sessao-%1"_s.arg(++sessions));
        QVERIFY(QDir().mkpath(session));
        QVERIFY(QFile::setPermissions(session, FolderOwnerOnly));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"HOME"_s, home);
        env.insert(u"XDG_RUNTIME_DIR"_s, session);
        env.insert(u"TMPDIR"_s, session);
        if (dataHome.isEmpty())
            env.remove(u"XDG_DATA_HOME"_s);
        else
            env.insert(u"XDG_DATA_HOME"_s, dataHome);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, {});
        QVERIFY(process.waitForStarted());
    }

    QTemporaryDir m_scratch;
    QString m_root; // the unpacked package
};

QTEST_MAIN(TestInstalacao)
#include "test_instalacao.moc"

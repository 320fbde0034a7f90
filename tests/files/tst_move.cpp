// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileManager.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Byte paths throughout: QFile cannot name files that are not UTF-8.
void writeBytes(const QByteArray &path, const QByteArray &content) {
    std::ofstream(path.constData(), std::ios::binary).write(content.constData(), content.size());
}

// Every entry at and below `path` by relative name: mode, modification time, and a digest of
// a file's content or a link's text.
QMap<QByteArray, QByteArray> snapshot(const QByteArray &path, const QByteArray &relative = ".") {
    QMap<QByteArray, QByteArray> entries;
    struct stat st;
    if (lstat(path.constData(), &st) != 0)
        return entries;
    QByteArray content(4096, '\0');
    QFile file;
    if (S_ISREG(st.st_mode) && file.open(::open(path, O_RDONLY | O_CLOEXEC), QIODevice::ReadOnly,
                                         QFileDevice::AutoCloseHandle))
        content = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    else
        content.truncate(std::max<ssize_t>(0, readlink(path.constData(), content.data(), 4096)));
    const qint64 modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    entries[relative] = QByteArray::number(st.st_mode, 8) + ' ' + QByteArray::number(modified) +
                        ' ' + content.toHex();
    if (S_ISDIR(st.st_mode))
        for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(path))
            entries.insert(snapshot(path + '/' + name, relative + '/' + name));
    return entries;
}

// What a Desktop may hold: large, empty and oddly named files (not UTF-8, a newline, a leading
// "-", 255 bytes), nested and read-only folders, links dangling, looping and absolute, a FIFO.
void makeTree(const QByteArray &root) {
    QVERIFY(mkdir(root, 0755) == 0 && mkdir(root + "/nested", 0750) == 0 &&
            mkdir(root + "/locked", 0555) == 0);
    QByteArray big(3 << 20, Qt::Uninitialized);
    QRandomGenerator(1).fillRange(reinterpret_cast<quint32 *>(big.data()), big.size() / 4);
    writeBytes(root + "/big.bin", big);
    writeBytes(root + "/empty", {});
    for (const QByteArray &name : {QByteArray("nested/\xff\xfe latin1"), QByteArray("new\nline"),
                                   QByteArray("-n"), QByteArray(255, 'x')})
        writeBytes(root + '/' + name, name);
    QVERIFY(symlink("nowhere", root + "/dangling") == 0 && symlink("loop", root + "/loop") == 0 &&
            symlink(root + "/big.bin", root + "/absolute") == 0 &&
            mkfifo(root + "/fifo", 0640) == 0);
    const timespec old[2] = {{1000000000, 0}, {1000000000, 123456789}};
    QVERIFY(utimensat(AT_FDCWD, root + "/empty", old, 0) == 0);
}
// Whether an open of the file at `path` waits for a lease on it to be given up.
bool leaseBreaking(const QByteArray &path) {
    struct stat st;
    QFile locks(QStringLiteral("/proc/locks"));
    return stat(path, &st) == 0 && locks.open(QIODevice::ReadOnly) &&
           QString::fromLatin1(locks.readAll())
               .contains(
                   QRegularExpression(QStringLiteral(" BREAKING .*:%1 ").arg(quint64(st.st_ino))));
}
} // namespace

class tst_Move : public QObject {
    Q_OBJECT
    QTemporaryDir tmp{QStringLiteral("/tmp/tst_move-XXXXXX")};
    QTemporaryDir shm{QStringLiteral("/dev/shm/tst_move-XXXXXX")};

    // A new empty folder on /tmp or on /dev/shm, which are different file systems.
    QByteArray folder(bool onShm) {
        static int count = 0;
        const QByteArray path =
            QFile::encodeName((onShm ? shm : tmp).path()) + '/' + QByteArray::number(++count);
        return mkdir(path, 0700) == 0 ? path : QByteArray();
    }

private slots:
    void cleanup() { FileManager::setBeforeCommitHookForTesting({}); }
    void cleanupTestCase() { // QDir cannot remove names that are not UTF-8; rm can
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), tmp.path(), shm.path()});
    }

    void movesEveryKindOfItem_data() {
        QTest::addColumn<bool>("across");
        QTest::newRow("within one file system") << false;
        QTest::newRow("across file systems") << true;
    }
    // Each time, an existing target is tried first: an empty folder, which a rename would replace.
    void movesEveryKindOfItem() {
        QFETCH(bool, across);
        const QByteArray name = "-item\n\xff", toFolder = folder(!across);
        const QByteArray from = folder(true) + '/' + name, to = toFolder + '/' + name;
        makeTree(from);
        const auto before = snapshot(from);
        QString error;
        QVERIFY(mkdir(to, 0700) == 0 && !FileManager::moveItemAtPath(from, to, &error));
        QVERIFY2(error.contains(QLatin1String("File exists")), qPrintable(error));
        QVERIFY(snapshot(from) == before && rmdir(to) == 0);
        QVERIFY2(FileManager::moveItemAtPath(from, to, &error), qPrintable(error));
        QCOMPARE(snapshot(to), before);
        QVERIFY(snapshot(from).isEmpty());
        QCOMPARE(FileManager::contentsOfDirectoryAtPath(toFolder), QList<QByteArray>{name});
    }

    // Another program opens the file to append while it is copied: its open waits while the
    // mover gives up its lease, every byte it writes ends up in the original, and no copy is
    // left. (A file already open before the move: "file held open" below, the same lease.)
    void fileOpenedWhileCopiedStays() {
        const QByteArray source = folder(false) + "/download.part", targetFolder = folder(true);
        const QByteArray start(640 << 10, 's');
        writeBytes(source, start);
        QProcess writer; // says "opened", then appends what it is given
        FileManager::setBeforeCommitHookForTesting([&](const QByteArray &) {
            writer.start(
                QStringLiteral("sh"),
                {"-c", "exec 3>>\"$0\" && echo opened && exec cat >&3", QFile::decodeName(source)});
            QTRY_VERIFY_WITH_TIMEOUT(writer.bytesAvailable() > 0 || leaseBreaking(source), 30000);
        });
        QString error;
        QVERIFY(!FileManager::moveItemAtPath(source, targetFolder + "/download.part", &error));
        QVERIFY2(error.contains(QLatin1String("open in another program")), qPrintable(error));
        writer.write("and the rest");
        writer.closeWriteChannel();
        QVERIFY(writer.waitForFinished());
        QFile original(QFile::decodeName(source));
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), start + "and the rest");
        QCOMPARE(FileManager::contentsOfDirectoryAtPath(targetFolder), QList<QByteArray>{});
    }

    // After the copy is made, before it is put in place, the folder changes, a file in it is held
    // open or the target appears: the copy goes, and the original stays as it now is.
    void changedWhileCopiedStays_data() {
        QTest::addColumn<QString>("change"); // run in the folder, "$1": the target; none: held open
        QTest::addColumn<QString>("expected");
        const QString changed = QStringLiteral("changed while it was copied");
        QTest::newRow("document saved over (a new file renamed over it)")
            << "echo second > nested/report.tmp && mv nested/report.tmp nested/report.txt"
            << changed;
        QTest::newRow("file written in place") << "echo more >> nested/report.txt" << changed;
        QTest::newRow("entry added") << "echo new > new" << changed;
        QTest::newRow("file held open by another program")
            << QString() << "open in another program";
        QTest::newRow("the target appears (an empty folder)") << "mkdir \"$1\""
                                                              << "File exists";
    }
    void changedWhileCopiedStays() {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        const QByteArray source = folder(false) + "/Project", targetFolder = folder(true);
        makeTree(source);
        writeBytes(source + "/nested/report.txt", "first version");
        QFile held(QFile::decodeName(source + "/nested/report.txt"));
        QVERIFY(!change.isEmpty() || held.open(QIODevice::ReadOnly));
        auto changed = snapshot(source), theirs = snapshot(targetFolder + "/Project");
        FileManager::setBeforeCommitHookForTesting([&](const QByteArray &target) {
            const QStringList script{"-c", "cd \"$0\" && " + change, QFile::decodeName(source),
                                     QFile::decodeName(target)};
            QVERIFY(change.isEmpty() || QProcess::execute(QStringLiteral("sh"), script) == 0);
            changed = snapshot(source);
            theirs = snapshot(target);
        });
        QString error;
        QVERIFY(!FileManager::moveItemAtPath(source, targetFolder + "/Project", &error));
        QVERIFY2(error.contains(expected), qPrintable(error));
        QCOMPARE(snapshot(source), changed);
        // Only what another program put there: the copy is gone, temporary name and all.
        QCOMPARE(FileManager::contentsOfDirectoryAtPath(targetFolder).size(), theirs.size());
        QCOMPARE(snapshot(targetFolder + "/Project"), theirs);
    }

    // The move runs in this test's own executable (--move) inside another setting: a 1 MiB file
    // system of its own as the target, or without root's power to read every file. The script
    // prints the move's status and what the target folder holds afterwards.
    void failedCopyLeavesSourceAndNoCopy_data() {
        QTest::addColumn<QString>("script");
        // The item moved: 0, a file; 1, a folder tree; 2, a tree with a file no one may read.
        QTest::addColumn<int>("item");
        const QString move = QStringLiteral("\"$2\" --move \"$3\" \"$1/item\"; echo \"status $?\"; "
                                            "ls -A \"$1\"");
        const QString fullDisk =
            QStringLiteral("unshare %1 sh -c 'mount -t tmpfs -o size=1m tmpfs \"$1\" || exit 77; ")
                .arg(geteuid() == 0 ? "-m" : "-rm") +
            move + "' sh";
        QTest::newRow("full disk, one file") << fullDisk << 0;
        QTest::newRow("full disk, folder tree") << fullDisk << 1;
        // Root reads every file; in a user namespace of its own it no longer can.
        QTest::newRow("unreadable file in the tree")
            << (geteuid() == 0 ? "unshare -U " : "") + QStringLiteral("sh -c '") + move + "' sh"
            << 2;
    }
    void failedCopyLeavesSourceAndNoCopy() {
        QFETCH(QString, script);
        QFETCH(int, item);
        const QByteArray source = folder(false) + "/item", target = folder(true);
        if (item)
            makeTree(source);
        else
            writeBytes(source, QByteArray(4 << 20, 'q'));
        if (item == 2) {
            writeBytes(source + "/nested/secret", "no one may read this");
            QVERIFY(chmod(source + "/nested/secret", 0) == 0);
        }
        const auto before = snapshot(source);
        QProcess helper;
        helper.start(QStringLiteral("sh"),
                     {"-c", script + " \"$@\"", "sh", QFile::decodeName(target),
                      QCoreApplication::applicationFilePath(), QFile::decodeName(source)});
        QVERIFY(helper.waitForFinished(60000));
        if (helper.exitCode() == 77 || helper.readAllStandardError().contains("unshare failed"))
            QSKIP("cannot mount a small file system here (needs root or user namespaces)");
        QCOMPARE(helper.readAllStandardOutput(), QByteArray("status 1\n")); // and nothing left
        QCOMPARE(snapshot(source), before);
    }
};

int main(int argc, char **argv) {
    if (argc == 4 && qstrcmp(argv[1], "--move") == 0)
        return FileManager::moveItemAtPath(argv[2], argv[3]) ? 0 : 1;
    QCoreApplication app(argc, argv);
    tst_Move test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_move.moc"

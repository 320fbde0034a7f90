// SPDX-License-Identifier: GPL-3.0-or-later
// Moves within and across file systems: every entry arrives exactly once with its content,
// type, mode and times, and every failure leaves the source as it was and no copy behind.
#include "FileManager.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray encoded(const QString &path) {
    return QFile::encodeName(path);
}

// Plain POSIX file access: names stay bytes, whatever the locale makes of them.
void writeBytes(const QByteArray &path, const QByteArray &content) {
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    close(fd);
}

QByteArray readBytes(const QByteArray &path) {
    QByteArray content;
    const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "unreadable";
    char buffer[65536];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, n);
    close(fd);
    return content;
}

QByteArray pseudoRandom(qsizetype size, quint32 seed) {
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char &c : data)
        c = char(generator.generate());
    return data;
}

// Every entry below `root` (and `root` itself as ""), by relative path: kind, mode, modification
// time and a digest of the content or the link text.
QMap<QByteArray, QByteArray> snapshot(const QByteArray &root, const QByteArray &relative = {}) {
    QMap<QByteArray, QByteArray> entries;
    const QByteArray path = relative.isEmpty() ? root : root + '/' + relative;
    struct stat st;
    if (lstat(path.constData(), &st) != 0)
        return entries;
    QByteArray content;
    if (S_ISREG(st.st_mode)) {
        content = QCryptographicHash::hash(readBytes(path), QCryptographicHash::Sha256).toHex();
    } else if (S_ISLNK(st.st_mode)) {
        char text[4096];
        const ssize_t n = readlink(path.constData(), text, sizeof text);
        content = QByteArray(text, n < 0 ? 0 : n);
    }
    entries.insert(relative, QByteArray::number(st.st_mode, 8) + ' ' +
                                 QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
                                 QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' ' + content);
    if (S_ISDIR(st.st_mode)) {
        for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(path))
            entries.insert(snapshot(root, relative.isEmpty() ? name : relative + '/' + name));
    }
    return entries;
}

// A folder with what a Desktop may hold: files large and empty, nested folders, an empty
// read-only folder, links dangling, looping and absolute, a FIFO and names that are awkward as
// bytes.
void makeTree(const QByteArray &root) {
    QVERIFY(mkdir(root.constData(), 0755) == 0);
    writeBytes(root + "/big.bin", pseudoRandom(3 << 20, 1));
    writeBytes(root + "/empty", {});
    QVERIFY(mkdir(root + "/nested", 0750) == 0);
    QVERIFY(mkdir(root + "/nested/deeper", 0700) == 0);
    writeBytes(root + "/nested/deeper/note.txt", "deep\n");
    QVERIFY(mkdir(root + "/locked", 0555) == 0);
    QVERIFY(symlink("does-not-exist", root + "/dangling") == 0);
    QVERIFY(symlink("loop", root + "/loop") == 0);
    QVERIFY(symlink("nested", root + "/to-folder") == 0);
    QVERIFY(symlink(root + "/big.bin", root + "/absolute") == 0);
    QVERIFY(mkfifo(root + "/fifo", 0640) == 0);
    writeBytes(root + "/\xff\xfe latin1 \xe9", "not utf-8");
    writeBytes(root + "/new\nline", "newline");
    writeBytes(root + "/-n", "dash");
    writeBytes(root + '/' + QByteArray(255, 'x'), "long name");
    const struct timespec old[2] = {{1000000000, 0}, {1000000000, 123456789}};
    QVERIFY(utimensat(AT_FDCWD, root + "/empty", old, 0) == 0);
}

// QDir cannot remove names that are not UTF-8; rm can.
class ByteSafeTemporaryDir : public QTemporaryDir {
public:
    using QTemporaryDir::QTemporaryDir;
    ~ByteSafeTemporaryDir() {
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), path()});
    }
};

QString helperWrapper() {
    // Root passes every permission check; in a user namespace of its own it no longer does.
    return geteuid() == 0 ? QStringLiteral("unshare -U ") : QString();
}
} // namespace

class tst_Move : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { FileManager::setBeforeCommitHookForTesting({}); }
    void movesEveryKindOfItem_data();
    void movesEveryKindOfItem();
    void neverReplacesAnExistingTarget_data();
    void neverReplacesAnExistingTarget();
    void targetAppearingBeforeCommitWins();
    void failedCopyLeavesSourceAndNoCopy_data();
    void failedCopyLeavesSourceAndNoCopy();
    void listsNamesAsBytes();

private:
    ByteSafeTemporaryDir onTmp_{QStringLiteral("/tmp/tst_move-XXXXXX")};
    ByteSafeTemporaryDir onShm_{QStringLiteral("/dev/shm/tst_move-XXXXXX")};
};

void tst_Move::movesEveryKindOfItem_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("acrossFileSystems");
    for (const bool across : {false, true}) {
        const char *suffix = across ? " across file systems" : " within one file system";
        for (const char *kind : {"tree", "file", "link to folder", "dangling link", "fifo",
                                 "not utf-8", "newline", "leading dash", "255 bytes"})
            QTest::addRow("%s%s", kind, suffix) << QString::fromLatin1(kind) << across;
    }
}

void tst_Move::movesEveryKindOfItem() {
    QFETCH(QString, kind);
    QFETCH(bool, acrossFileSystems);
    const QByteArray from = encoded(onShm_.path()) + "/from-" + QTest::currentDataTag();
    const QByteArray to = encoded((acrossFileSystems ? onTmp_ : onShm_).path()) + "/to-" +
                          QByteArray::number(qHash(QTest::currentDataTag()));
    QVERIFY(mkdir(from.constData(), 0700) == 0 && mkdir(to.constData(), 0700) == 0);

    QByteArray name = "item";
    if (kind == "tree")
        makeTree(from + "/item");
    else if (kind == "file")
        writeBytes(from + "/item", pseudoRandom(70000, 2));
    else if (kind == "link to folder")
        QVERIFY(mkdir(from + "/folder", 0700) == 0 && symlink("folder", from + "/item") == 0);
    else if (kind == "dangling link")
        QVERIFY(symlink("/nowhere/at/all", from + "/item") == 0);
    else if (kind == "fifo")
        QVERIFY(mkfifo(from + "/item", 0604) == 0);
    else {
        name = kind == "not utf-8"      ? QByteArray("caf\xe9 \x80\xff")
               : kind == "newline"      ? QByteArray("two\nlines")
               : kind == "leading dash" ? QByteArray("-rf")
                                        : QByteArray(255, 'n');
        writeBytes(from + '/' + name, name);
    }
    const auto before = snapshot(from + '/' + name);

    QString error;
    QVERIFY2(FileManager::moveItemAtPath(from + '/' + name, to + '/' + name, &error),
             qPrintable(error));
    QCOMPARE(snapshot(to + '/' + name), before);
    QVERIFY(snapshot(from + '/' + name).isEmpty());
    QCOMPARE(FileManager::contentsOfDirectoryAtPath(to), QList<QByteArray>{name});
    if (kind == "link to folder") // the link moved, not the folder it points to
        QVERIFY(access(from + "/folder", F_OK) == 0);
}

void tst_Move::neverReplacesAnExistingTarget_data() {
    QTest::addColumn<bool>("acrossFileSystems");
    QTest::newRow("within one file system") << false;
    QTest::newRow("across file systems") << true;
}

void tst_Move::neverReplacesAnExistingTarget() {
    QFETCH(bool, acrossFileSystems);
    const QByteArray source = encoded(onShm_.path()) + "/mine-" + QTest::currentDataTag();
    const QByteArray target = encoded((acrossFileSystems ? onTmp_ : onShm_).path()) + "/theirs-" +
                              QTest::currentDataTag();
    writeBytes(source, "moving");
    writeBytes(target, "already there");

    QString error;
    QVERIFY(!FileManager::moveItemAtPath(source, target, &error));
    QVERIFY2(error.contains(QLatin1String("File exists")), qPrintable(error));
    QCOMPARE(readBytes(source), QByteArray("moving"));
    QCOMPARE(readBytes(target), QByteArray("already there"));
}

void tst_Move::targetAppearingBeforeCommitWins() {
    const QByteArray source = encoded(onShm_.path()) + "/racing";
    const QByteArray targetFolder = encoded(onTmp_.path()) + "/race";
    QVERIFY(mkdir(targetFolder.constData(), 0700) == 0);
    makeTree(source);
    const auto before = snapshot(source);
    FileManager::setBeforeCommitHookForTesting(
        [](const QByteArray &target) { writeBytes(target, "someone else's"); });

    QVERIFY(!FileManager::moveItemAtPath(source, targetFolder + "/racing"));
    QCOMPARE(snapshot(source), before);
    // Only the other writer's file is there: the copy is gone, temporary name and all.
    QCOMPARE(FileManager::contentsOfDirectoryAtPath(targetFolder), QList<QByteArray>{"racing"});
    QCOMPARE(snapshot(targetFolder + "/racing").size(), 1);
}

void tst_Move::failedCopyLeavesSourceAndNoCopy_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("item");
    // A 1 MiB file system of its own for the target, in a mount namespace that ends with it.
    const QString fullDisk = QStringLiteral(
        "%1 sh -c 'mount -t tmpfs -o size=1m tmpfs \"$1\" || exit 77; \"$2\" --move \"$3\" "
        "\"$1/item\"; echo \"status $?\"; ls -A \"$1\"' sh");
    const QString rootOrUser =
        geteuid() == 0 ? QStringLiteral("unshare -m") : QStringLiteral("unshare -rm");
    QTest::newRow("full disk, one file") << fullDisk.arg(rootOrUser) << "file";
    QTest::newRow("full disk, folder tree") << fullDisk.arg(rootOrUser) << "tree";
    QTest::newRow("unreadable file in the tree")
        << helperWrapper() +
               QStringLiteral("sh -c '\"$2\" --move \"$3\" \"$1/item\"; echo \"status $?\"; "
                              "ls -A \"$1\"' sh")
        << "unreadable";
}

void tst_Move::failedCopyLeavesSourceAndNoCopy() {
    QFETCH(QString, setup);
    QFETCH(QString, item);
    ByteSafeTemporaryDir source(QStringLiteral("/tmp/tst_move-source-XXXXXX"));
    ByteSafeTemporaryDir target(QStringLiteral("/dev/shm/tst_move-target-XXXXXX"));
    const QByteArray path = encoded(source.path()) + "/item";
    if (item == "file") {
        writeBytes(path, pseudoRandom(4 << 20, 3));
    } else {
        makeTree(path);
        if (item == "unreadable") {
            writeBytes(path + "/nested/secret", "no one may read this");
            QVERIFY(chmod(path + "/nested/secret", 0) == 0);
        }
    }
    const auto before = snapshot(path);

    QProcess helper;
    helper.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), setup + QStringLiteral(" \"$@\""), QStringLiteral("sh"),
                  target.path(), QCoreApplication::applicationFilePath(), source.path() + "/item"});
    QVERIFY(helper.waitForFinished(60000));
    if (helper.exitCode() == 77 || helper.readAllStandardError().contains("unshare failed"))
        QSKIP("cannot mount a small file system here (needs root or user namespaces)");
    // The helper failed, and the target folder it saw is empty: no partial copy is left.
    QCOMPARE(helper.readAllStandardOutput(), QByteArray("status 1\n"));
    QCOMPARE(snapshot(path), before);
}

void tst_Move::listsNamesAsBytes() {
    ByteSafeTemporaryDir dir;
    const QByteArray root = encoded(dir.path());
    const QList<QByteArray> names{"\xff", ".hidden", "a b", "new\nline"};
    for (const QByteArray &name : names)
        writeBytes(root + '/' + name, {});
    auto listed = FileManager::contentsOfDirectoryAtPath(root);
    std::sort(listed.begin(), listed.end());
    auto expected = names;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(listed, expected);
    QVERIFY(FileManager::contentsOfDirectoryAtPath(root + "/missing").isEmpty());
}

int main(int argc, char **argv) {
    // The test runs moves that need other privileges through itself: --move SOURCE TARGET.
    if (argc == 4 && qstrcmp(argv[1], "--move") == 0)
        return FileManager::moveItemAtPath(argv[2], argv[3]) ? 0 : 1;
    QCoreApplication app(argc, argv);
    tst_Move test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_move.moc"

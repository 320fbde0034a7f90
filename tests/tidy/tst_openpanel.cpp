// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's chooser as the exceptions and the restore use it: which items it lets the user
// choose, and what its completion hands back.
#include "OpenPanel.h"
#include "TestHome.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QtTest>

using Completions = QList<QPair<int, QString>>;

class TestOpenPanel : public QObject {
    Q_OBJECT

    static QFileDialog *openDialog() {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QFileDialog *>(widget))
                return dialog;
        return nullptr;
    }

private slots:
    void cleanup() { delete openDialog(); } // one a failed row left open
    void choosesWhatTheOptionsAllow_data() {
        QTest::addColumn<bool>("filesToo"); // false: folders only, none created (the restore)
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("files and folders: a file") << true << "notes.txt" << true;
        QTest::newRow("files and folders: a folder") << true << "Archive.2014" << true;
        QTest::newRow("folders only: a folder") << false << "Archive.2014" << true;
        QTest::newRow("folders only: a file") << false << "notes.txt" << false;
    }
    void choosesWhatTheOptionsAllow() {
        QFETCH(bool, filesToo);
        QFETCH(QString, chosen);
        QFETCH(bool, accepted);
        TestHome home;
        TestHome::writeFile(home.documents() + "/notes.txt");
        QVERIFY(QDir().mkpath(home.documents() + "/Archive.2014"));
        FileDialogOpenPanel panel;
        Completions completions;
        panel.begin({.title = "Choose",
                     .directory = home.documents(),
                     .canChooseFiles = filesToo,
                     .canChooseDirectories = true,
                     .canCreateDirectories = filesToo},
                    [&completions](int result, const QString &path) {
                        completions.append({result, path});
                    });

        QFileDialog *dialog = openDialog();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        QCOMPARE(dialog->windowTitle(), "Choose");
        QCOMPARE(dialog->directory().absolutePath(), home.documents());
        QCOMPARE(dialog->testOption(QFileDialog::ReadOnly), !filesToo);
        dialog->selectFile(chosen);
        static_cast<QDialog *>(dialog)->accept(); // as the Open button does
        if (!accepted) {
            QVERIFY(completions.isEmpty() && dialog->isVisible());
            dialog->reject();
        }
        const Completions expected{
            accepted ? qMakePair(int(OpenPanel::OKButton), home.documents() + "/" + chosen)
                     : qMakePair(int(OpenPanel::CancelButton), QString())};
        QCOMPARE(completions, expected);
        QTRY_VERIFY(!openDialog()); // deleted once closed
    }
};

QTEST_MAIN(TestOpenPanel)
#include "tst_openpanel.moc"

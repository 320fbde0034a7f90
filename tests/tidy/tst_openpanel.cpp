// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's chooser as the exceptions and the restore use it: which items it lets the user
// choose, and what its completion hands back.
#include "OpenPanel.h"
#include "TestHome.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QtTest>

class TestOpenPanel : public QObject {
    Q_OBJECT

    static QFileDialog *openDialog() {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible())
                return dialog;
        return nullptr;
    }

private slots:
    void choosesWhatTheOptionsAllow_data() {
        QTest::addColumn<bool>("canChooseFiles");
        QTest::addColumn<bool>("canCreateDirectories");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("accepted");
        // The exceptions' chooser: files and folders, folders may be created.
        QTest::newRow("files and folders: a file") << true << true << "notes.txt" << true;
        QTest::newRow("files and folders: a folder") << true << true << "Archive.2014" << true;
        // The restore's chooser: folders only, none created.
        QTest::newRow("folders only: a folder") << false << false << "Archive.2014" << true;
        QTest::newRow("folders only: a file") << false << false << "notes.txt" << false;
    }
    void choosesWhatTheOptionsAllow() {
        QFETCH(bool, canChooseFiles);
        QFETCH(bool, canCreateDirectories);
        QFETCH(QString, chosen);
        QFETCH(bool, accepted);
        TestHome home;
        TestHome::writeFile(home.documents() + "/notes.txt");
        QVERIFY(QDir().mkpath(home.documents() + "/Archive.2014"));

        FileDialogOpenPanel panel;
        OpenPanelOptions options;
        options.title = "Choose";
        options.directory = home.documents();
        options.canChooseFiles = canChooseFiles;
        options.canChooseDirectories = true;
        options.canCreateDirectories = canCreateDirectories;
        QList<QPair<int, QString>> completions;
        panel.begin(options, [&completions](int result, const QString &path) {
            completions.append({result, path});
        });

        QFileDialog *dialog = openDialog();
        QVERIFY(dialog);
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->windowTitle(), "Choose");
        QCOMPARE(dialog->directory().absolutePath(), home.documents());
        QCOMPARE(dialog->testOption(QFileDialog::ReadOnly), !canCreateDirectories);
        dialog->selectFile(chosen);
        static_cast<QDialog *>(dialog)->accept(); // as the Open button does
        if (accepted) {
            QCOMPARE(completions, (QList<QPair<int, QString>>{
                                      {OpenPanel::OKButton, home.documents() + "/" + chosen}}));
        } else {
            QVERIFY(completions.isEmpty());
            QVERIFY(dialog->isVisible());
            dialog->reject();
            QCOMPARE(completions, (QList<QPair<int, QString>>{{OpenPanel::CancelButton, {}}}));
        }
        QTRY_VERIFY(!openDialog());
    }
};

QTEST_MAIN(TestOpenPanel)
#include "tst_openpanel.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's chooser: which items it lets the user choose, and what its completion hands back.
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
            if (auto *dialog = qobject_cast<QFileDialog *>(widget))
                return dialog;
        return nullptr;
    }

private slots:
    void cleanup() { delete openDialog(); } // one a failed row left open
    void choosesWhatTheOptionsAllow_data() {
        QTest::addColumn<bool>("filesToo"); // false: folders only, none created (the restore)
        QTest::newRow("files and folders: a file is chosen") << true;
        QTest::newRow("folders only: a file is refused") << false;
    }
    void choosesWhatTheOptionsAllow() {
        QFETCH(bool, filesToo);
        TestHome home;
        TestHome::writeFile(home.documents() + "/notes.txt");
        FileDialogOpenPanel panel;
        QList<QPair<int, QString>> completions;
        panel.begin({.title = "Choose",
                     .directory = home.documents(),
                     .canChooseFiles = filesToo,
                     .canChooseDirectories = true,
                     .canCreateDirectories = filesToo},
                    [&](int result, const QString &path) {
                        completions.append({result, path});
                    });

        QFileDialog *dialog = openDialog();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        QCOMPARE(dialog->directory().absolutePath(), home.documents());
        QCOMPARE(dialog->testOption(QFileDialog::ReadOnly), !filesToo);
        dialog->selectFile("notes.txt");
        static_cast<QDialog *>(dialog)->accept(); // as the Open button does
        if (!filesToo) {
            QVERIFY(completions.isEmpty() && dialog->isVisible());
            dialog->reject();
        }
        QCOMPARE(completions,
                 (QList<QPair<int, QString>>{
                     filesToo ? qMakePair(int(OpenPanel::OKButton), home.documents() + "/notes.txt")
                              : qMakePair(int(OpenPanel::CancelButton), QString())}));
        QTRY_VERIFY(!openDialog()); // deleted once closed
    }
};

QTEST_MAIN(TestOpenPanel)
#include "tst_openpanel.moc"

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
    void cleanup() { delete openDialog(); } // one a failed check left open
    // Folders only, none created (the restore's chooser): a file is refused. A file chosen
    // through the files-and-folders chooser is shown end to end (e2e test_exceptions).
    void foldersOnlyRefusesAFile() {
        TestHome home;
        TestHome::writeFile(home.documents() + "/notes.txt");
        FileDialogOpenPanel panel;
        QList<QPair<int, QString>> completions;
        panel.begin({.title = "Choose",
                     .directory = home.documents(),
                     .canChooseFiles = false,
                     .canChooseDirectories = true,
                     .canCreateDirectories = false},
                    [&](int result, const QString &path) {
                        completions.append({result, path});
                    });

        QFileDialog *dialog = openDialog();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        QCOMPARE(dialog->directory().absolutePath(), home.documents());
        QVERIFY(dialog->testOption(QFileDialog::ReadOnly));
        dialog->selectFile("notes.txt");
        static_cast<QDialog *>(dialog)->accept(); // as the Open button does
        QVERIFY(completions.isEmpty() && dialog->isVisible());
        dialog->reject();
        QCOMPARE(completions,
                 (QList<QPair<int, QString>>{qMakePair(int(OpenPanel::CancelButton), QString())}));
        QTRY_VERIFY(!openDialog()); // deleted once closed
    }
};

QTEST_MAIN(TestOpenPanel)
#include "tst_openpanel.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenPanel.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {
// QFileDialog picks either files or folders. With both allowed, "Open" takes whatever existing
// item is selected, folders included; a double click still enters a folder.
class FileOrFolderDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    bool chooseFolders = false;

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (chooseFolders && !chosen.isEmpty() && QFileInfo::exists(chosen.first())) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};
} // namespace

void OpenPanel::beginForChosenPath(const OpenPanelOptions &options, QObject *context,
                                   std::function<void(const QString &path)> chosen) {
    begin(options, [context = QPointer(context), chosen = std::move(chosen)](int result,
                                                                             const QString &path) {
        if (context && result == OKButton)
            chosen(path);
    });
}

FileDialogOpenPanel::FileDialogOpenPanel(QWidget *parent)
    : parent_(parent) {}

void FileDialogOpenPanel::begin(const OpenPanelOptions &options, Completion completion) {
    auto *dialog = new FileOrFolderDialog(parent_, options.title, options.directory);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (options.canChooseFiles) {
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->chooseFolders = options.canChooseDirectories;
    } else {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    }
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, completion = std::move(completion)](int result) {
                         const QStringList chosen = dialog->selectedFiles();
                         if (result == QDialog::Accepted && !chosen.isEmpty())
                             completion(OpenPanel::OKButton, chosen.first());
                         else
                             completion(OpenPanel::CancelButton, QString());
                     });
    dialog->setModal(false);
    dialog->show();
}

#include "platform/qt/qt_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

namespace pelmora {

namespace {

// Qt's dialog in its several-files mode insists that every typed name exists. Unless asked to, we
// return such names as typed, so that the command that asked decides what a missing file means.
class OpenDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    bool namesMustExist = false;
    QStringList typedAsIs;

    void accept() override {
        const QStringList files = selectedFiles();
        const bool missing =
            std::any_of(files.begin(), files.end(), [](const QString& f) { return !QFileInfo::exists(f); });
        if (namesMustExist || files.isEmpty() || !missing) {
            QFileDialog::accept();
            return;
        }
        typedAsIs = files;
        QDialog::accept();
    }
};

}  // namespace

FileDialogResult QtFileDialog::open(const FileDialogSettings& settings) {
    // Qt takes the patterns from the parentheses of a filter; the description already names them
    // ("dat files (*.led)"), otherwise they are added so that the filter still works.
    QString filter = QString::fromStdString(settings.filterName);
    const QString pattern = QString::fromStdString(settings.filterPattern);
    if (!filter.contains(QLatin1Char('(') + pattern + QLatin1Char(')')))
        filter += QStringLiteral(" (") + pattern + QLatin1Char(')');

    OpenDialog dialog(owner_, QString::fromStdString(settings.title), QString::fromStdString(settings.initialDir),
                      filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.namesMustExist = settings.namesMustExist;
    dialog.setFileMode(settings.allowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    const QStringList filters = dialog.nameFilters();
    if (settings.filterIndex >= 1 && settings.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(settings.filterIndex - 1));

    if (dialog.exec() != QDialog::Accepted) return {FileDialogResult::Outcome::cancelled, {}};
    const QStringList chosen = dialog.typedAsIs.isEmpty() ? dialog.selectedFiles() : dialog.typedAsIs;
    if (chosen.size() > 1) return {FileDialogResult::Outcome::several, {}};
    if (chosen.isEmpty()) return {FileDialogResult::Outcome::cancelled, {}};
    return {FileDialogResult::Outcome::chosen, chosen.first().toStdString()};
}

}  // namespace pelmora

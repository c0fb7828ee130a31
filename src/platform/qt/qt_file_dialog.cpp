#include "platform/qt/qt_file_dialog.h"

#include <QFileDialog>

namespace pelmora {

FileDialogResult QtFileDialog::open(const FileDialogSettings& settings) {
    // Qt takes the patterns from the parentheses of a filter; the description already names them
    // ("dat files (*.led)"), otherwise they are added so that the filter still works.
    QString filter = QString::fromStdString(settings.filterName);
    const QString pattern = QString::fromStdString(settings.filterPattern);
    if (!filter.contains(QLatin1Char('(') + pattern + QLatin1Char(')')))
        filter += QStringLiteral(" (") + pattern + QLatin1Char(')');

    QFileDialog dialog(owner_, QString::fromStdString(settings.title), QString::fromStdString(settings.initialDir),
                       filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(settings.allowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    const QStringList filters = dialog.nameFilters();
    if (settings.filterIndex >= 1 && settings.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(settings.filterIndex - 1));

    if (dialog.exec() != QDialog::Accepted) return {FileDialogResult::Outcome::cancelled, {}};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.size() > 1) return {FileDialogResult::Outcome::several, {}};
    if (chosen.isEmpty()) return {FileDialogResult::Outcome::cancelled, {}};
    return {FileDialogResult::Outcome::chosen, chosen.first().toStdString()};
}

}  // namespace pelmora

#pragma once
// The open-file dialog seam on Qt's own (not the desktop's) QFileDialog, so that it looks and
// behaves the same everywhere and speaks the language of Qt's loaded translation.

#include <QPointer>
#include <QWidget>

#include "platform/file_dialog.h"

namespace pelmora {

class QtFileDialog : public FileDialog {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }
    FileDialogResult open(const FileDialogSettings& settings) override;

private:
    QPointer<QWidget> owner_;
};

}  // namespace pelmora

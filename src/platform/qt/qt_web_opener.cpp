#include "platform/qt/qt_web_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace pelmora {

void QtWebOpener::open(const std::string& url) {
    // Nothing is reported when no browser answers.
    (void)QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace pelmora

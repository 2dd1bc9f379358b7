#include "ui/maker_page.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace varnel {

void OpenMakerPage() {
    // A failure (no browser, no desktop) shows nothing.
    static_cast<void>(QDesktopServices::openUrl(QUrl(QString::fromUtf8(kMakerPageUrl))));
}

}  // namespace varnel

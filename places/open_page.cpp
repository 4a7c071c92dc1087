#include "places/open_page.h"

#include <QMessageBox>
#include <QString>

#include "platform/url_opener.h"

namespace skyvane::places {

void OpenPageOrSay(const std::string& url, QWidget* parent)
{
    if (platform::OpenUrl(url)) return;
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Open web page"),
                                QStringLiteral("The page could not be opened: no web browser "
                                               "took it.\n\n") +
                                    QString::fromStdString(url),
                                QMessageBox::Ok, parent);
    box->setObjectName("noBrowser");
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace skyvane::places

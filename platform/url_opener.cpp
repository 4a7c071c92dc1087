#include "platform/url_opener.h"

#include <mutex>
#include <utility>

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace skyvane::platform {
namespace {

// Never destroyed: a worker may open a page while the program ends.
struct OpenerState {
    std::mutex mutex;
    UrlOpener opener;  // empty: the desktop's browser
};

OpenerState& Opener()
{
    static OpenerState* state = new OpenerState;
    return *state;
}

bool OpenWithDesktop(const std::string& url)
{
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

}  // namespace

bool IsOpenableUrl(const std::string& url)
{
    // The scheme must be followed by "//" and a host: "http:evil" or
    // "https:///etc/passwd" are not web pages.
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    if (!parsed.isValid() || parsed.host().isEmpty()) return false;
    const QString scheme = parsed.scheme();  // QUrl lower-cases it
    if (scheme != "http" && scheme != "https") return false;
    const QString prefix = scheme + "://";
    return QString::fromStdString(url).startsWith(prefix, Qt::CaseInsensitive);
}

bool OpenUrl(const std::string& url)
{
    if (!IsOpenableUrl(url)) return false;
    UrlOpener opener;
    {
        std::lock_guard lock(Opener().mutex);
        opener = Opener().opener;
    }
    return opener ? opener(url) : OpenWithDesktop(url);
}

void SetUrlOpener(UrlOpener opener)
{
    std::lock_guard lock(Opener().mutex);
    Opener().opener = std::move(opener);
}

}  // namespace skyvane::platform

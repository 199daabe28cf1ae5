#include "platform/qt/page_form.h"

#include <QTemporaryFile>
#include <QUrl>

#include <cups/cups.h>

namespace orvanto {

TPageForm PageFormOf(const std::string& destination)
{
    TPageForm form;
    QTemporaryFile ppd;
    if (destination.empty() || !ppd.open())
        return form;
    // The scheduler serves every queue's PPD under this name.
    const QByteArray resource = "/printers/" + QUrl::toPercentEncoding(QString::fromStdString(destination)) + ".ppd";
    if (cupsGetFd(CUPS_HTTP_DEFAULT, resource.constData(), ppd.handle()) != HTTP_STATUS_OK)
        return form;
    ppd.seek(0);
    // A PPD is a few tens of kilobytes; what is far larger is no PPD.
    if (ppd.size() < 16 * 1024 * 1024)
        form.Raster = TRasterJob::RasterFormatOf(ppd.readAll().toStdString(), form.Format, form.Dpi);
    return form;
}

} // namespace orvanto

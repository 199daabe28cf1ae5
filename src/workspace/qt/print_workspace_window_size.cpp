// The workspace window's part in printed sizes and posters: the size row
// in and out, the part of the picture Fill prints, and the poster's sheet
// grid on the preview.
#include "workspace/qt/print_workspace_window.h"

#include "localisation/language.h"
#include "platform/platform.h"
#include "support/messages/messages.h"
#include "workspace/photo_sizes.h"
#include "workspace/poster_sheet.h"
#include "workspace/print_size.h"
#include "workspace/print_workspace.h"

#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace orvanto {

TSizeUnit TPrintWorkspaceWindow::SizeUnit() const
{
    std::string paper;
    try {
        paper = Platform().Printer().PaperName();
    } catch (...) {
        // No paper known: the locale decides alone.
    }
    return SizeUnitFor(paper, QLocale::system().measurementSystem() != QLocale::MetricSystem);
}

void TPrintWorkspaceWindow::ShowSize()
{
    const TPrintWorkspaceInfo info = FWorkspace.Info();
    TSizeRow* row = FPanel->SizeRow();
    row->SetUnit(SizeUnit());
    row->SetSize(info.SizeX, info.SizeY);
    row->SetLock(info.SizeLock);
    row->SetFill(info.SizeFill);
    row->SetPoster(info.Poster, info.PosterOverlap);
    // The Poster box shows where it can matter: a picture larger than the
    // page, a size being typed, or a poster already on.
    const QSize picture = FWorkspace.Picture().Size();
    const auto [w, h] = FWorkspace.Layout().PrintedSize(picture.width(), picture.height());
    const bool larger = !FWorkspace.Picture().Empty()
                        && NeedsPoster(w, h, info.Geometry.PageWidth, info.Geometry.PageHeight);
    const bool exact = info.Scale == psExactSize;
    FPanel->ShowSizeRow(exact, exact || info.Poster || larger);
}

void TPrintWorkspaceWindow::SizeChanged(TSizeControl control)
{
    TPrintWorkspaceInfo info = FWorkspace.Info();
    const TSizeRow* row = FPanel->SizeRow();
    const QSize picture = FWorkspace.Picture().Size();
    const int pw = picture.width(), ph = picture.height();
    switch (control) {
    case TSizeControl::Width:
        info.SizeX = row->Width();
        if (info.SizeLock)
            info.SizeY = LockedSide(info.SizeX, pw, ph);
        break;
    case TSizeControl::Height:
        info.SizeY = row->Height();
        if (info.SizeLock)
            info.SizeX = LockedSide(info.SizeY, ph, pw);
        break;
    case TSizeControl::Lock:
        info.SizeLock = row->Locked();
        if (info.SizeLock)
            info.SizeY = LockedSide(info.SizeX, pw, ph);
        break;
    case TSizeControl::PhotoSize: {
        const auto [width, height] = PhotoSizeFor(row->PhotoSize(), pw, ph);
        if (width < 1)
            return;
        info.SizeX = width;
        info.SizeY = height;
        break;
    }
    case TSizeControl::Fill: info.SizeFill = row->Fill(); break;
    case TSizeControl::Poster: info.Poster = row->Poster(); break;
    case TSizeControl::Overlap: {
        // An overlap of a whole sheet would never move on: half of it then.
        const TPageLayout& layout = FWorkspace.Layout();
        const long double border = PosterBorder(layout.PrinterDpiX());
        const long double across = layout.Millimetres(TAxis::Across, info.Geometry.PageWidth - 2 * border);
        const long double down = layout.Millimetres(TAxis::Down, info.Geometry.PageHeight - 2 * border);
        const std::int32_t sheet = Round(std::min(across, down) * 100);
        info.PosterOverlap = row->Overlap();
        if (sheet > 0 && info.PosterOverlap >= sheet) {
            info.PosterOverlap = sheet / 2;
            FPanel->SizeRow()->Note(control, QString::fromStdString(Translate(Messages::OverlapClamped)));
        }
        break;
    }
    }
    FWorkspace.ApplyInfo(info);
}

const QImage* TPrintWorkspaceWindow::PreviewSource(const QImage& shown, bool& changed)
{
    changed = false;
    const QSize size = FWorkspace.Picture().Size();
    const TSourcePart part = FWorkspace.Layout().Source(size.width(), size.height());
    if (part.Width == size.width() && part.Height == size.height()) {
        if (!FCropped.isNull()) {
            FCropped = QImage();
            changed = true;
        }
        return &shown;
    }
    // The shown picture may be a reduced copy of one still loading.
    const double kx = size.width() > 0 ? double(shown.width()) / size.width() : 1;
    const double ky = size.height() > 0 ? double(shown.height()) / size.height() : 1;
    const QRect cut(qRound(part.Left * kx), qRound(part.Top * ky), std::max(1, qRound(part.Width * kx)),
                    std::max(1, qRound(part.Height * ky)));
    if (FCropped.isNull() || cut != FCroppedPart || shown.cacheKey() != FCroppedFrom || FCacheStale) {
        FCropped = shown.copy(cut);
        FCroppedPart = cut;
        FCroppedFrom = shown.cacheKey();
        changed = true;
    }
    return FCropped.isNull() ? &shown : &FCropped;
}

TPlacement TPrintWorkspaceWindow::PreviewPlacement(const TPlacementRequest& request, bool& poster) const
{
    const TPageLayout& layout = FWorkspace.Layout();
    poster = layout.PosterApplies(request.PictureWidth, request.PictureHeight);
    if (!poster)
        return layout.Place(request);
    // The whole poster, fitted to the page and centred on it, so the grid
    // shows how the picture is shared among the sheets.
    const auto [w, h] = layout.PrintedSize(request.PictureWidth, request.PictureHeight);
    const TPageGeometry& page = FWorkspace.Info().Geometry;
    const long double fit = std::min((long double)page.PageWidth / w, (long double)page.PageHeight / h);
    const long double width = w * fit, height = h * fit;
    TPlacement at;
    at.Left = Round((page.PageWidth - width) / 2 * request.FactorX);
    at.Top = Round((page.PageHeight - height) / 2 * request.FactorY);
    at.Width = Round(width * request.FactorX);
    at.Height = Round(height * request.FactorY);
    return at;
}

void TPrintWorkspaceWindow::DrawPosterGrid(QPainter& painter, const TPlacement& at) const
{
    const QSize picture = FWorkspace.Picture().Size();
    const TPageLayout& layout = FWorkspace.Layout();
    const TPosterPlan plan = layout.PosterPlan(picture.width(), picture.height());
    const auto [w, h] = layout.PrintedSize(picture.width(), picture.height());
    if (plan.Sheets.empty() || w < 1 || h < 1)
        return;
    const double kx = double(at.Width) / w, ky = double(at.Height) / h;
    const QColor shared(0, 90, 200, 60); // the overlap strips, where sheets are glued
    painter.setPen(QPen(QColor(0, 60, 160), 1, Qt::DashLine));
    for (int column = 1; column < plan.Columns; ++column) {
        const double begins = at.Left + column * (plan.TileWidth - plan.Overlap) * kx;
        const double ends = at.Left + ((column - 1) * (plan.TileWidth - plan.Overlap) + plan.TileWidth) * kx;
        painter.fillRect(QRectF(begins, at.Top, ends - begins, at.Height), shared);
        painter.drawLine(QPointF(begins, at.Top), QPointF(begins, at.Top + at.Height));
        painter.drawLine(QPointF(ends, at.Top), QPointF(ends, at.Top + at.Height));
    }
    for (int row = 1; row < plan.Rows; ++row) {
        const double begins = at.Top + row * (plan.TileHeight - plan.Overlap) * ky;
        const double ends = at.Top + ((row - 1) * (plan.TileHeight - plan.Overlap) + plan.TileHeight) * ky;
        painter.fillRect(QRectF(at.Left, begins, at.Width, ends - begins), shared);
        painter.drawLine(QPointF(at.Left, begins), QPointF(at.Left + at.Width, begins));
        painter.drawLine(QPointF(at.Left, ends), QPointF(at.Left + at.Width, ends));
    }
}

} // namespace orvanto

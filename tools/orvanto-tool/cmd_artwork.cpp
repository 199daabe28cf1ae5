#include "archive_file.h"
#include "command_registry.h"

#include "imaging/bitmap/bitmap_writer.h"
#include "workspace/page_layout.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <map>
#include <sstream>

namespace orvanto {

namespace {

const char* const Usage = "Usage: orvanto-tool artwork draw SOURCE GROUP OUT.bmp|OUT.png [--size N]\n"
                          "       orvanto-tool artwork layouts FOLDER";

// A drawing of the artwork source: its size and its lines, kept as written.
struct TGroup {
    double Width = 0;
    double Height = 0;
    std::vector<std::string> Lines;
};

using TGroups = std::map<std::string, TGroup>;

bool ParseSource(const std::string& text, TGroups& groups, std::string& error)
{
    std::istringstream in(text);
    std::string line;
    TGroup* current = nullptr;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::string command;
        if (!(words >> command) || command[0] == '#')
            continue;
        if (command == "group") {
            std::string name;
            TGroup group;
            if (!(words >> name >> group.Width >> group.Height) || current) {
                error = "Line " + std::to_string(number) + ": a group needs NAME WIDTH HEIGHT, outside a group";
                return false;
            }
            current = &(groups[name] = group);
        } else if (command == "end") {
            current = nullptr;
        } else if (!current) {
            error = "Line " + std::to_string(number) + ": drawing outside a group";
            return false;
        } else {
            current->Lines.push_back(line);
        }
    }
    return true;
}

QColor Colour(const std::string& text)
{
    if (text.size() == 9) {
        QColor colour(QString::fromStdString(text.substr(0, 7)));
        colour.setAlpha(std::stoi(text.substr(7), nullptr, 16));
        return colour;
    }
    return QColor(QString::fromStdString(text));
}

QBrush Fill(const std::string& text)
{
    if (text == "none")
        return Qt::NoBrush;
    if (text.rfind("linear:", 0) == 0) {
        std::vector<std::string> parts;
        std::istringstream in(text.substr(7));
        for (std::string part; std::getline(in, part, ',');)
            parts.push_back(part);
        if (parts.size() != 6)
            throw std::runtime_error("linear needs X0,Y0,X1,Y1,C0,C1");
        QLinearGradient gradient(std::stod(parts[0]), std::stod(parts[1]), std::stod(parts[2]),
                                 std::stod(parts[3]));
        gradient.setColorAt(0, Colour(parts[4]));
        gradient.setColorAt(1, Colour(parts[5]));
        return gradient;
    }
    return Colour(text);
}

void SetPen(QPainter& painter, std::istringstream& words)
{
    std::string pen;
    double width = 1;
    if (words >> pen >> width)
        painter.setPen(QPen(Colour(pen), width));
    else
        painter.setPen(Qt::NoPen);
}

void DrawGroup(QPainter& painter, const TGroups& groups, const std::string& name, int depth)
{
    const auto found = groups.find(name);
    if (found == groups.end() || depth > 8)
        throw std::runtime_error("no group \"" + name + "\"");
    for (const std::string& line : found->second.Lines) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        painter.save();
        if (command == "rect" || command == "ellipse") {
            double x, y, w, h, radius = 0;
            std::string fill;
            words >> x >> y >> w >> h;
            if (command == "rect")
                words >> radius;
            words >> fill;
            painter.setBrush(Fill(fill));
            SetPen(painter, words);
            if (command == "ellipse")
                painter.drawEllipse(QRectF(x, y, w, h));
            else
                painter.drawRoundedRect(QRectF(x, y, w, h), radius, radius);
        } else if (command == "polygon") {
            std::string fill;
            words >> fill;
            QPolygonF polygon;
            for (double x, y; words >> x >> y;)
                polygon << QPointF(x, y);
            painter.setBrush(Fill(fill));
            painter.setPen(Qt::NoPen);
            painter.drawPolygon(polygon);
        } else if (command == "text") {
            double x, y, pixels;
            std::string weight, colour;
            words >> x >> y >> pixels >> weight >> colour;
            std::string rest;
            std::getline(words, rest);
            const auto open = rest.find('"'), close = rest.rfind('"');
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(int(pixels));
            font.setBold(weight == "bold");
            painter.setFont(font);
            painter.setPen(Colour(colour));
            painter.drawText(QPointF(x, y), QString::fromStdString(rest.substr(open + 1, close - open - 1)));
        } else if (command == "use") {
            std::string group;
            double x, y, scale;
            words >> group >> x >> y >> scale;
            painter.translate(x, y);
            painter.scale(scale, scale);
            DrawGroup(painter, groups, group, depth + 1);
        } else {
            throw std::runtime_error("unknown drawing command \"" + command + "\"");
        }
        painter.restore();
        if (words.fail() && !words.eof())
            throw std::runtime_error("cannot read \"" + line + "\"");
    }
}

int Save(const QImage& picture, const std::string& fileName)
{
    std::string error;
    if (fileName.size() > 4 && fileName.substr(fileName.size() - 4) == ".png") {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, "PNG") || !WriteToolFile(fileName, bytes.toStdString(), error))
            return Fail(error.empty() ? "Cannot write " + fileName : error);
        return 0;
    }
    if (!SaveBitmapFile(picture.convertToFormat(QImage::Format_BGR888), fileName, error))
        return Fail(error + ": " + fileName);
    return 0;
}

int Draw(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 3 && !(arguments.size() == 5 && arguments[3] == "--size"))
        return Fail(Usage);
    std::string text, error;
    TGroups groups;
    if (!ReadToolFile(arguments[0], text, error) || !ParseSource(text, groups, error))
        return Fail(error);
    const auto found = groups.find(arguments[1]);
    if (found == groups.end())
        return Fail("No group \"" + arguments[1] + "\" in " + arguments[0]);
    const double scale = arguments.size() == 5 ? std::stod(arguments[4]) / found->second.Width : 1.0;
    QImage picture(int(found->second.Width * scale + 0.5), int(found->second.Height * scale + 0.5),
                   QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        return Fail("Out of memory");
    // Icons keep their transparent corners; bitmaps have none and get white.
    const bool png = arguments[2].size() > 4 && arguments[2].substr(arguments[2].size() - 4) == ".png";
    picture.fill(png ? Qt::transparent : Qt::white);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        DrawGroup(painter, groups, arguments[1], 0);
    }
    return Save(picture, arguments[2]);
}

// A small landscape standing for the user's picture in the help's layouts.
void DrawSample(QPainter& painter, const QRect& target)
{
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / 114.0, target.height() / 96.0);
    QLinearGradient sky(0, 0, 0, 96);
    sky.setColorAt(0, QColor("#86BFDD"));
    sky.setColorAt(1, QColor("#DCEFF6"));
    painter.fillRect(QRectF(0, 0, 114, 96), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor("#F2BE62"));
    painter.drawEllipse(QRectF(72, 12, 24, 24));
    painter.setBrush(QColor("#7DB394"));
    painter.drawPolygon(QPolygonF({{0, 96}, {30, 58}, {54, 80}, {80, 52}, {114, 86}, {114, 96}}));
    painter.setBrush(QColor("#4F8C74"));
    painter.drawPolygon(QPolygonF({{0, 96}, {0, 78}, {26, 66}, {64, 96}}));
    painter.restore();
}

// The layout engine's own answer for each scale mode, position and
// orientation, drawn as a small page: the help shows what prints.
int Layouts(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return Fail(Usage);
    struct TCase {
        std::string Name;
        int Scale, Position, Orientation, ZoomX, ZoomY, ZoomXY, X, Y;
    };
    std::vector<TCase> cases;
    for (int scale = 0; scale < PrintScaleCount; ++scale)
        cases.push_back({"scale-" + std::to_string(scale), scale, ppCenter, poPortrait, 100, 0, 100, 0, 0});
    for (int position = 0; position < PrintPositionCount; ++position)
        cases.push_back({"position-" + std::to_string(position), psAsIs, position, poPortrait, 0, 0, 0, 300, 1700});
    for (int orientation = 0; orientation < PrintOrientationCount; ++orientation)
        cases.push_back({"orientation-" + std::to_string(orientation), psScaleToPage, ppCenter, orientation, 0, 0, 0, 0, 0});
    for (const TCase& c : cases) {
        const bool landscape = c.Orientation == poLandscape;
        const int pageW = landscape ? 3000 : 2400, pageH = landscape ? 2400 : 3000;
        const int surfaceW = landscape ? 120 : 96, surfaceH = landscape ? 96 : 120;
        TPageLayout layout;
        layout.UpdatePageGeometry({300, 300, pageW, pageH, 96}, 600, 400);
        TPrintWorkspaceInfo info = layout.Info();
        info.Scale = TPrintScale(c.Scale);
        info.Position = TPrintPosition(c.Position);
        info.Orientation = TPrintOrientation(c.Orientation);
        info.ZoomX = c.ZoomX;
        info.ZoomY = c.ZoomY;
        info.ZoomXY = c.ZoomXY;
        info.X = c.X;
        info.Y = c.Y;
        layout.ApplyInfo(info);
        TPlacementRequest request;
        request.FactorX = (long double)surfaceW / pageW;
        request.FactorY = (long double)surfaceH / pageH;
        request.PictureWidth = 600;
        request.PictureHeight = 400;
        request.SurfaceWidth = surfaceW;
        request.SurfaceHeight = surfaceH;
        const TPlacement at = layout.Place(request);

        QImage picture(surfaceW + 16, surfaceH + 16, QImage::Format_RGB32);
        picture.fill(QColor("#E6EEEC"));
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(QRect(11, 11, surfaceW, surfaceH), QColor("#B9C9C6"));
        const QRect page(8, 8, surfaceW, surfaceH);
        painter.fillRect(page, Qt::white);
        painter.setClipRect(page);
        DrawSample(painter, QRect(page.left() + int(at.Left), page.top() + int(at.Top), int(at.Width),
                                  int(at.Height)));
        painter.setClipping(false);
        painter.setPen(QColor("#7F9592"));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(page.adjusted(0, 0, -1, -1));
        painter.end();
        if (const int status = Save(picture, arguments[0] + "/" + c.Name + ".png"))
            return status;
    }
    return 0;
}

int RunArtwork(const std::vector<std::string>& arguments)
{
    try {
        if (arguments.empty())
            return Fail(Usage);
        const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
        if (arguments[0] == "draw")
            return Draw(rest);
        if (arguments[0] == "layouts")
            return Layouts(rest);
        return Fail(Usage);
    } catch (const std::exception& failure) {
        return Fail(std::string("Artwork: ") + failure.what());
    }
}

TRegisterCommand registration{{"artwork", "artwork draw SOURCE GROUP OUT [--size N] | layouts FOLDER",
                               "draws the program's icon, splash picture and the help's layout pictures",
                               &RunArtwork}};

} // namespace

} // namespace orvanto

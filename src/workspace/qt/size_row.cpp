#include "workspace/qt/size_row.h"

#include "localisation/language.h"
#include "support/messages/translation_hook.h"
#include "workspace/photo_sizes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace orvanto {

namespace {

constexpr int Gap = 5;
constexpr int RowGap = 2;
constexpr int FirstLeft = 5;

QString Text(const char* english)
{
    return QString::fromStdString(Translate(english));
}

// The text of a box in the unit, with the locale's decimal sign.
QString Shown(std::int32_t hundredths, TSizeUnit unit)
{
    // No group separators: "10000.0" reads back as typed.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(SizeInUnit(hundredths, unit), 'f', SizeDecimals(unit));
}

// A number as the user's locale writes it, or with a point.
bool ParseNumber(const QString& text, double& value)
{
    bool ok = false;
    value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok;
}

} // namespace

TSizeRow::TSizeRow(QWidget* parent) : QWidget(parent)
{
    setObjectName("SizeRow");
    FWidthLabel = new QLabel(Text("Width"), this);
    FWidthLabel->setObjectName("SizeWidthLabel");
    FWidthBox = MakeBox(TSizeControl::Width, "SizeWidthBox");
    FHeightLabel = new QLabel(Text("Height"), this);
    FHeightLabel->setObjectName("SizeHeightLabel");
    FHeightBox = MakeBox(TSizeControl::Height, "SizeHeightBox");
    FWidthLabel->setBuddy(FWidthBox);
    FHeightLabel->setBuddy(FHeightBox);
    FUnitLabel = new QLabel(this);
    FUnitLabel->setObjectName("SizeUnitLabel");

    FLock = new QCheckBox(Text("Keep aspect"), this);
    FLock->setObjectName("SizeLock");
    FLock->setChecked(true);
    connect(FLock, &QCheckBox::clicked, this, [this] { emit ControlChanged(TSizeControl::Lock); });

    FPhotoSizes = new QComboBox(this);
    FPhotoSizes->setObjectName("PhotoSizeList");
    FPhotoSizes->addItem(Text("Photo size"));
    for (const TPhotoSize& size : PhotoSizes)
        FPhotoSizes->addItem(QString::fromUtf8(size.Name));
    connect(FPhotoSizes, &QComboBox::activated, this, [this] { emit ControlChanged(TSizeControl::PhotoSize); });

    FFill = new QComboBox(this);
    FFill->setObjectName("FillList");
    FFill->addItems({Text("Fit"), Text("Fill")});
    FFill->setToolTip(Text("Fit leaves white bands, Fill crops the centre"));
    connect(FFill, &QComboBox::activated, this, [this] { emit ControlChanged(TSizeControl::Fill); });

    FPoster = new QCheckBox(Text("Poster"), this);
    FPoster->setObjectName("PosterBox");
    connect(FPoster, &QCheckBox::clicked, this, [this] { emit ControlChanged(TSizeControl::Poster); });
    FOverlapLabel = new QLabel(Text("Overlap"), this);
    FOverlapLabel->setObjectName("OverlapLabel");
    FOverlapBox = MakeBox(TSizeControl::Overlap, "OverlapBox");
    FOverlapLabel->setBuddy(FOverlapBox);

    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->resize(control->sizeHint());
    SetUnit(TSizeUnit::Millimetre);
    ShowSizeControls(false);
    SetPoster(false, FOverlap);
}

QLineEdit* TSizeRow::MakeBox(TSizeControl control, const char* name)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    // Room for "10000.0" and "393.70", not more.
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000.00")) + 12);
    connect(box, &QLineEdit::editingFinished, this, [this, control] { Typed(control); });
    return box;
}

void TSizeRow::Note(TSizeControl at, const QString& text)
{
    FNote = text;
    QWidget* box = at == TSizeControl::Width ? static_cast<QWidget*>(FWidthBox)
        : at == TSizeControl::Height         ? static_cast<QWidget*>(FHeightBox)
        : at == TSizeControl::Overlap        ? static_cast<QWidget*>(FOverlapBox)
                                             : static_cast<QWidget*>(FPoster);
    if (!text.isEmpty() && box->isVisible())
        QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), text, box);
}

void TSizeRow::Typed(TSizeControl control)
{
    QLineEdit* box = control == TSizeControl::Width ? FWidthBox
        : control == TSizeControl::Height           ? FHeightBox
                                                    : FOverlapBox;
    std::int32_t& stored = control == TSizeControl::Width ? FWidth
        : control == TSizeControl::Height                 ? FHeight
                                                          : FOverlap;
    double value = 0;
    const bool number = ParseNumber(box->text(), value);
    // The overlap may be none; a size may not.
    if (control == TSizeControl::Overlap && number && value == 0) {
        FNote.clear();
        if (stored != 0) {
            stored = 0;
            emit ControlChanged(control);
        }
        ShowValues();
        return;
    }
    const TTypedSize typed = number ? CheckTypedSize(value, FUnit) : TTypedSize{};
    if (typed.Outcome == TTypedSize::Refused) {
        Note(control, Text("Type a size larger than zero"));
        ShowValues();
        return;
    }
    if (typed.Outcome == TTypedSize::Clamped)
        Note(control, Text("The largest size is 10 m"));
    else
        FNote.clear();
    const bool changed = typed.Hundredths != stored;
    stored = typed.Hundredths;
    ShowValues();
    if (changed)
        emit ControlChanged(control);
}

void TSizeRow::ShowValues()
{
    for (auto [box, value] : {std::pair{FWidthBox, FWidth}, std::pair{FHeightBox, FHeight},
                              std::pair{FOverlapBox, FOverlap}}) {
        const QSignalBlocker silent(box);
        box->setText(Shown(value, FUnit));
    }
}

void TSizeRow::SetUnit(TSizeUnit unit)
{
    FUnit = unit;
    FUnitLabel->setText(QString::fromStdString(Translate(SizeUnitName(unit))));
    FUnitLabel->resize(FUnitLabel->sizeHint());
    FOverlapBox->setToolTip(QString::fromStdString(Translate(SizeUnitName(unit))));
    ShowValues();
}

void TSizeRow::SetSize(std::int32_t width, std::int32_t height)
{
    FWidth = width;
    FHeight = height;
    ShowValues();
}

void TSizeRow::SetLock(bool on)
{
    const QSignalBlocker silent(FLock);
    FLock->setChecked(on);
}

void TSizeRow::SetFill(bool fill)
{
    const QSignalBlocker silent(FFill);
    FFill->setCurrentIndex(fill ? 1 : 0);
}

void TSizeRow::SetPoster(bool on, std::int32_t overlap)
{
    {
        const QSignalBlocker silent(FPoster);
        FPoster->setChecked(on);
    }
    FOverlap = overlap;
    FOverlapLabel->setVisible(on);
    FOverlapBox->setVisible(on);
    ShowValues();
}

bool TSizeRow::Locked() const
{
    return FLock->isChecked();
}

bool TSizeRow::Fill() const
{
    return FFill->currentIndex() == 1;
}

bool TSizeRow::Poster() const
{
    return FPoster->isChecked();
}

int TSizeRow::PhotoSize() const
{
    return FPhotoSizes->currentIndex() - 1;
}

void TSizeRow::ShowSizeControls(bool shown)
{
    FSizeShown = shown;
    for (QWidget* control : {static_cast<QWidget*>(FWidthLabel), static_cast<QWidget*>(FWidthBox),
                             static_cast<QWidget*>(FHeightLabel), static_cast<QWidget*>(FHeightBox),
                             static_cast<QWidget*>(FUnitLabel), static_cast<QWidget*>(FLock),
                             static_cast<QWidget*>(FPhotoSizes), static_cast<QWidget*>(FFill)})
        control->setVisible(shown);
}

// The groups that stay together on a line, in reading order.
static std::vector<std::vector<QWidget*>> Groups(const std::vector<QWidget*>& size,
                                                 const std::vector<QWidget*>& choices,
                                                 const std::vector<QWidget*>& poster)
{
    std::vector<std::vector<QWidget*>> groups;
    for (const auto* group : {&size, &choices, &poster}) {
        std::vector<QWidget*> shown;
        for (QWidget* control : *group)
            if (!control->isHidden())
                shown.push_back(control);
        if (!shown.empty())
            groups.push_back(shown);
    }
    return groups;
}

static int GroupWidth(const std::vector<QWidget*>& group)
{
    int width = 0;
    for (QWidget* control : group)
        width += control->width() + Gap;
    return width - Gap;
}

void TSizeRow::Arrange(int width)
{
    const auto groups = Groups({FWidthLabel, FWidthBox, FHeightLabel, FHeightBox, FUnitLabel, FLock},
                               {FPhotoSizes, FFill}, {FPoster, FOverlapLabel, FOverlapBox});
    int x = FirstLeft, top = 0, lineHeight = 0, right = 0;
    for (const auto& group : groups) {
        if (x > FirstLeft && x + GroupWidth(group) > width) {
            x = FirstLeft;
            top += lineHeight + RowGap;
            lineHeight = 0;
        }
        for (QWidget* control : group)
            lineHeight = std::max(lineHeight, control->height());
        for (QWidget* control : group) {
            control->move(x, top + (lineHeight - control->height()) / 2);
            x += control->width() + Gap;
        }
        right = std::max(right, x - Gap);
        x += Gap;
    }
    resize(right + 1, top + lineHeight);
}

int TSizeRow::NarrowestWidth() const
{
    const auto groups = Groups({FWidthLabel, FWidthBox, FHeightLabel, FHeightBox, FUnitLabel, FLock},
                               {FPhotoSizes, FFill}, {FPoster, FOverlapLabel, FOverlapBox});
    int widest = 0;
    for (const auto& group : groups)
        widest = std::max(widest, FirstLeft + GroupWidth(group));
    return widest + 1;
}

} // namespace orvanto

#include "platform/qt/qt_file_dialogs.h"

#include "support/messages/translation_hook.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include <stdexcept>

namespace orvanto {

namespace {

constexpr int PreviewSide = 200;

bool IsPreview(TFileDialogKind kind)
{
    return kind == TFileDialogKind::OpenWithPreview || kind == TFileDialogKind::SaveWithPreview;
}

bool IsSave(TFileDialogKind kind)
{
    return kind == TFileDialogKind::Save || kind == TFileDialogKind::SaveWithPreview;
}

// The pane beside the file list: the picture scaled to fit and its size.
// The renderer comes with each request, so the pane asks the current one.
class TPreviewPane final : public QWidget {
public:
    explicit TPreviewPane(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("previewPane"));
        auto* layout = new QVBoxLayout(this);
        FSize = new QLabel(this);
        FSize->setObjectName(QStringLiteral("previewSize"));
        FSize->setAlignment(Qt::AlignCenter);
        FPicture = new QLabel(this);
        FPicture->setObjectName(QStringLiteral("previewPicture"));
        FPicture->setAlignment(Qt::AlignCenter);
        FPicture->setFixedSize(PreviewSide, PreviewSide);
        FPicture->setFrameShape(QFrame::StyledPanel);
        layout->addWidget(FSize);
        layout->addWidget(FPicture);
        layout->addStretch();
    }

    TPreviewRenderer Renderer;

    void Show(const QString& path)
    {
        FSize->clear();
        FPicture->clear();
        if (!Renderer || path.isEmpty() || !QFileInfo(path).isFile())
            return;
        QImage picture;
        std::string error;
        bool shown = false;
        try {
            shown = Renderer(path.toStdString(), picture, error) && !picture.isNull();
        } catch (...) {
            shown = false;
        }
        if (!shown)
            return;
        FSize->setText(QString::fromStdString(PreviewSizeText(picture.width(), picture.height())));
        QPixmap pixmap = QPixmap::fromImage(picture);
        if (pixmap.width() > PreviewSide || pixmap.height() > PreviewSide)
            pixmap = pixmap.scaled(PreviewSide, PreviewSide, Qt::KeepAspectRatio,
                                   Qt::SmoothTransformation);
        FPicture->setPixmap(pixmap);
    }

private:
    QLabel* FSize = nullptr;
    QLabel* FPicture = nullptr;
};

// Hides the completion list whenever it would show for an empty name.
class TEmptyNameCompletion final : public QObject {
public:
    TEmptyNameCompletion(QLineEdit* name, QWidget* list) : QObject(list), FName(name), FList(list) {}

    // After the events at hand: Qt may open the list again while it
    // handles the same key.
    void HideSoon()
    {
        QTimer::singleShot(0, FList, [list = FList, name = FName] {
            if (name->text().isEmpty())
                list->hide();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == FList && event->type() == QEvent::Show)
            HideSoon();
        return false;
    }

private:
    QLineEdit* FName;
    QWidget* FList;
};

TPreviewPane* PaneOf(QFileDialog* dialog)
{
    return dialog->findChild<TPreviewPane*>(QStringLiteral("previewPane"));
}

QString SuffixOf(const std::string& defaultExt)
{
    // "*.DIB" or ".DIB" both mean the suffix "DIB"; a wildcard is no suffix.
    std::string suffix = defaultExt;
    const auto dot = suffix.rfind('.');
    if (dot != std::string::npos)
        suffix = suffix.substr(dot + 1);
    if (suffix.find_first_of("*?") != std::string::npos)
        return QString();
    return QString::fromStdString(suffix);
}

// The 0-based position of the chosen filter. The dialog reports the text it
// shows, which lacks the patterns, so two choices could read alike: the
// choice box's position is asked first.
int SelectedFilterIndex(QFileDialog* dialog, const QStringList& filters)
{
    if (auto* box = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        if (box->count() == filters.size())
            return box->currentIndex();
    const QString shown = dialog->selectedNameFilter();
    for (int i = 0; i < filters.size(); ++i) {
        const QString& filter = filters[i];
        if (filter == shown || filter.left(filter.lastIndexOf(QStringLiteral(" ("))) == shown)
            return i;
    }
    return -1;
}

} // namespace

QStringList QtNameFilters(const std::string& filter)
{
    QStringList filters;
    for (const TFileFilterChoice& choice : SplitFileFilter(filter)) {
        QStringList patterns;
        for (const std::string& pattern : choice.Patterns)
            patterns << QString::fromStdString(pattern);
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        filters << QString::fromStdString(choice.Description) + QStringLiteral(" (")
                + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

std::string PreviewSizeText(int width, int height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

TQtFileDialogs::TQtFileDialogs() = default;

TQtFileDialogs::~TQtFileDialogs() = default;

QFileDialog* TQtFileDialogs::Dialog(TFileDialogKind kind)
{
    QFileDialog*& dialog = FDialogs[int(kind)];
    if (!dialog)
        dialog = Build(kind);
    return dialog;
}

QFileDialog* TQtFileDialogs::Build(TFileDialogKind kind)
{
    if (!FOwner)
        FOwner = std::make_unique<QWidget>();
    auto* dialog = new QFileDialog(FOwner.get());
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setAcceptMode(IsSave(kind) ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setWindowTitle(QString::fromStdString(IsSave(kind) ? TranslateForDisplay("Save As")
                                                               : TranslateForDisplay("Open")));
    // The completion list under the name goes once Enter has taken a name
    // from it and the dialog ends. Qt opens it again over the new folder's files after a folder
    // was entered, with the name empty: a list for no name is never shown.
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        if (QCompleter* completer = name->completer()) {
            auto* guard = new TEmptyNameCompletion(name, completer->popup());
            completer->popup()->installEventFilter(guard);
            QObject::connect(dialog, &QFileDialog::directoryEntered, guard, &TEmptyNameCompletion::HideSoon);
            QObject::connect(name, &QLineEdit::textChanged, guard, &TEmptyNameCompletion::HideSoon);
            // Enter on a file takes it and ends the dialog: the list, a
            // window of its own, must not stay behind over the program.
            QObject::connect(dialog, &QDialog::finished, completer->popup(), &QWidget::hide);
        }
    if (IsPreview(kind)) {
        auto* grid = qobject_cast<QGridLayout*>(dialog->layout());
        if (!grid) {
            delete dialog;
            throw std::runtime_error("the file dialog has no room for a preview");
        }
        auto* pane = new TPreviewPane(dialog);
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
        QObject::connect(dialog, &QFileDialog::currentChanged, pane,
                         [pane](const QString& path) { pane->Show(path); });
    }
    return dialog;
}

TFileDialogResult TQtFileDialogs::Run(const TFileDialogRequest& request)
{
    QFileDialog* dialog = Dialog(request.Kind);
    const bool save = IsSave(request.Kind);

    // Only a save adds the suffix: Qt would add it to a folder name typed
    // (or completed) in the open dialog too, and then not enter the folder.
    dialog->setDefaultSuffix(save ? SuffixOf(request.DefaultExt) : QString());
    if (save)
        dialog->setFileMode(QFileDialog::AnyFile);
    else
        dialog->setFileMode((request.Options & FileDialogFileMustExist) ? QFileDialog::ExistingFile
                                                                        : QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite,
                      !(request.Options & FileDialogOverwritePrompt));

    const QStringList filters = QtNameFilters(request.Filter);
    dialog->setNameFilters(filters);
    if (!filters.isEmpty()) {
        const int index = request.FilterIndex >= 1 && request.FilterIndex <= filters.size()
            ? request.FilterIndex - 1
            : 0;
        dialog->selectNameFilter(filters[index]);
    }
    if (!request.InitialFolder.empty())
        dialog->setDirectory(QString::fromStdString(request.InitialFolder));
    dialog->selectFile(QString::fromStdString(request.FileName));
    if (TPreviewPane* pane = PaneOf(dialog)) {
        pane->Renderer = request.Preview;
        pane->Show(QString());
    }

    TFileDialogResult result;
    // Shown as a dialog of the program's window, which centres it there;
    // between requests the dialog goes back to its hidden owner, so that it
    // outlives any window.
    QWidget* window = QApplication::activeWindow();
    if (window && window != dialog)
        dialog->setParent(window, dialog->windowFlags());
    result.Confirmed = dialog->exec() == QDialog::Accepted;
    dialog->setParent(FOwner.get(), dialog->windowFlags());
    const QStringList chosen = dialog->selectedFiles();
    if (!chosen.isEmpty())
        result.FileName = chosen.first().toStdString();
    const int selected = SelectedFilterIndex(dialog, filters);
    result.FilterIndex = selected >= 0 ? selected + 1 : request.FilterIndex;
    if (TPreviewPane* pane = PaneOf(dialog))
        pane->Renderer = nullptr;
    return result;
}

} // namespace orvanto

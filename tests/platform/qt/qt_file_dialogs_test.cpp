#include "platform/qt/qt_file_dialogs.h"

#include "tests/test_support.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvanto;

TEST(QtNameFilters, EveryChoiceCarriesItsPatternsInParentheses)
{
    struct TCase {
        std::string Filter;
        QStringList Expected;
    };
    const TCase cases[] = {
        {"All Pictures|*.BMP;*.DIB;|Bitmap (*.bmp)|*.BMP;|",
         {"All Pictures (*.BMP *.DIB)", "Bitmap (*.bmp) (*.BMP)"}},
        {"Bitmap (*.DIB)|*.DIB|", {"Bitmap (*.DIB) (*.DIB)"}},
        {"Anything|", {"Anything (*)"}},
        {"", {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(QtNameFilters(c.Filter), c.Expected) << c.Filter;
}

namespace {

// Runs one dialog of the kind; while it is open, act drives it.
TFileDialogResult RunDriven(TQtFileDialogs& dialogs, const TFileDialogRequest& request,
                            const std::function<void(QFileDialog*)>& act)
{
    QTimer::singleShot(0, [&] {
        QFileDialog* dialog = dialogs.Dialog(request.Kind);
        act(dialog);
    });
    return dialogs.Run(request);
}

QString Label(QFileDialog* dialog, const char* name)
{
    auto* label = dialog->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

TEST(QtFileDialogs, PreviewShowsTheRenderedSizeAndFilterIndexComesBack)
{
    const std::string folder = MakeTempFolder("qt-dialogs");
    WriteWholeFile(folder + "a.bmp", "x");
    TQtFileDialogs dialogs;
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::OpenWithPreview;
    request.Filter = "All Pictures|*.BMP;*.DIB;|Bitmap (*.bmp)|*.BMP;|Device (*.dib)|*.DIB;|";
    request.FilterIndex = 2;
    request.InitialFolder = folder;
    request.Options = FileDialogFileMustExist;
    std::vector<std::string> rendered;
    request.Preview = [&rendered](const std::string& name, QImage& picture, std::string&) {
        rendered.push_back(name);
        picture = QImage(640, 480, QImage::Format_BGR888);
        picture.fill(Qt::blue);
        return true;
    };

    QString sizeText, filterSeen;
    bool hasPicture = false;
    const TFileDialogResult result = RunDriven(dialogs, request, [&](QFileDialog* dialog) {
        filterSeen = dialog->selectedNameFilter();
        Q_EMIT dialog->currentChanged(QString::fromStdString(folder + "a.bmp"));
        sizeText = Label(dialog, "previewSize");
        auto* picture = dialog->findChild<QLabel*>(QStringLiteral("previewPicture"));
        hasPicture = picture && !picture->pixmap().isNull();
        dialog->selectNameFilter(QStringLiteral("Device (*.dib) (*.DIB)"));
        dialog->selectFile(QString::fromStdString(folder + "a.bmp"));
        // accept() would check the name against the disk; the outcome is what counts.
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    EXPECT_EQ(filterSeen, QStringLiteral("Bitmap (*.bmp)")); // shown without the patterns
    EXPECT_EQ(sizeText, QStringLiteral("640 x 480"));
    EXPECT_TRUE(hasPicture);
    EXPECT_EQ(rendered, std::vector<std::string>{folder + "a.bmp"});
    EXPECT_TRUE(result.Confirmed);
    EXPECT_EQ(result.FileName, folder + "a.bmp");
    EXPECT_EQ(result.FilterIndex, 3);
}

TEST(QtFileDialogs, PlainKindsHaveNoPreviewAndCancelIsReported)
{
    const std::string folder = MakeTempFolder("qt-dialogs-plain");
    TQtFileDialogs dialogs;
    for (TFileDialogKind kind : {TFileDialogKind::Open, TFileDialogKind::Save}) {
        TFileDialogRequest request;
        request.Kind = kind;
        request.Filter = "Bitmap (*.bmp)|*.BMP;|";
        request.InitialFolder = folder;
        request.FileName = kind == TFileDialogKind::Save ? "out.bmp" : "";
        request.DefaultExt = "*.BMP";
        bool hasPane = true;
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        QString suffix;
        std::vector<bool> listShown; // for an empty name, then for "o"
        QWidget* list = nullptr;
        const TFileDialogResult result = RunDriven(dialogs, request, [&](QFileDialog* dialog) {
            hasPane = dialog->findChild<QLabel*>(QStringLiteral("previewSize")) != nullptr;
            mode = dialog->acceptMode();
            suffix = dialog->defaultSuffix();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name && name->completer())
                for (const char* typed : {"", "o"}) {
                    name->setText(QString::fromLatin1(typed));
                    name->completer()->popup()->show();
                    QCoreApplication::processEvents();
                    listShown.push_back(name->completer()->popup()->isVisible());
                }
            list = name ? name->completer()->popup() : nullptr;
            dialog->reject();
        });
        ASSERT_NE(list, nullptr);
        EXPECT_FALSE(list->isVisible()) << "the list goes with the dialog";
        // Qt shows the completion list again after entering a folder, with
        // no name typed: it must go at once.
        EXPECT_EQ(listShown, (std::vector<bool>{false, true}));
        EXPECT_FALSE(hasPane);
        // An open dialog adds none, or a folder typed there would not open.
        EXPECT_EQ(suffix.toStdString(), kind == TFileDialogKind::Save ? "BMP" : "");
        EXPECT_EQ(mode, kind == TFileDialogKind::Save ? QFileDialog::AcceptSave
                                                      : QFileDialog::AcceptOpen);
        EXPECT_FALSE(result.Confirmed);
        EXPECT_EQ(result.FilterIndex, 1);
    }
}

TEST(QtFileDialogs, UpperCasePatternsListFilesInAnyCase)
{
    // The filters carry upper-case patterns ("*.BMP"); on a case-sensitive
    // file system the dialog must still list "photo.bmp" and "Scan.Bmp".
    const std::string folder = MakeTempFolder("qt-dialogs-case");
    for (const char* name : {"photo.bmp", "Scan.Bmp", "LOUD.BMP", "other.txt"})
        WriteWholeFile(folder + name, "x");
    TQtFileDialogs dialogs;
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Open;
    request.Filter = "Bitmap (*.bmp)|*.BMP;|";
    request.InitialFolder = folder;
    QStringList listed;
    RunDriven(dialogs, request, [&](QFileDialog* dialog) {
        auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
        if (view) {
            // The folder is read in the background; give it a moment.
            QElapsedTimer waited;
            waited.start();
            while (waited.elapsed() < 5000) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                const QModelIndex root = view->rootIndex();
                if (view->model()->rowCount(root) >= 3)
                    break;
            }
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                listed << view->model()->index(row, 0, root).data().toString();
        }
        dialog->reject();
    });
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"LOUD.BMP", "Scan.Bmp", "photo.bmp"}));
}

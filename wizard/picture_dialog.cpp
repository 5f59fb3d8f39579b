#include "picture_dialog.h"

#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "view/paint/qt_bridge.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <filesystem>
#include <new>

namespace velmora {

namespace {

constexpr int kPreviewSide = 160;
constexpr char kPreviewName[] = "PicturePreview";
constexpr char kShownPathProperty[] = "shownPath";
// The size the dialog opens at: room for the sidebar, the list's four columns and the preview.
constexpr QSize kOpeningSize(960, 460);

void ShowPreview(QLabel& preview, const QString& path)
{
    // A click in the list names the file twice (the selection, then the name it writes into the
    // name field): decode it once.
    if (preview.property(kShownPathProperty).toString() == path && !path.isEmpty())
        return;
    preview.setProperty(kShownPathProperty, path);
    preview.clear();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    try {
        const Bitmap picture = LoadPicture(ToPath(path));
        preview.setPixmap(QPixmap::fromImage(
            ToQImage(picture).scaled(preview.size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
    } catch (const PictureError&) {
        // Not a picture we read: the preview stays empty, as the wizard's load would fail too.
    } catch (const std::bad_alloc&) {
    }
}

// The file that Open would take now: the typed name, read in the dialog's folder.
QString TypedFile(const QFileDialog& dialog, const QString& typed)
{
    return typed.isEmpty() ? QString() : dialog.directory().absoluteFilePath(typed);
}

// The splitter would give the sidebar too little to show its places' names whole.
void FitSidebar(QFileDialog& dialog)
{
    auto* sidebar = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    if (sidebar == nullptr)
        return;
    const int names = sidebar->sizeHintForColumn(0) + 2 * sidebar->frameWidth() +
                      (sidebar->verticalScrollBar()->isVisible() ? sidebar->verticalScrollBar()->width() : 0);
    sidebar->setMinimumWidth(std::max(sidebar->minimumWidth(), names));
}

// The name takes the width the other columns leave; size, type and date are as wide as what
// they show, measured again whenever a folder has been read.
void FitColumns(QFileDialog& dialog)
{
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* files = dialog.findChild<QFileSystemModel*>();
    if (list == nullptr || files == nullptr)
        return;
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    QObject::connect(files, &QFileSystemModel::directoryLoaded, list, [list] {
        for (int column = 1; column < list->header()->count(); ++column)
            list->resizeColumnToContents(column);
    });
}

void AttachPreview(QFileDialog& dialog)
{
    if (dialog.findChild<QLabel*>(QString::fromLatin1(kPreviewName)) != nullptr)
        return;
    // Qt's own dialog lays itself out in a grid; the preview takes a column right of the list.
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (grid == nullptr)
        return;
    auto* preview = new QLabel(&dialog);
    preview->setObjectName(QString::fromLatin1(kPreviewName));
    preview->setFixedSize(kPreviewSide, kPreviewSide);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(preview, 1, grid->columnCount(), 1, 1);
    dialog.resize(dialog.size().expandedTo(kOpeningSize));
    FitColumns(dialog);

    // The preview follows the list's selection and the name field alike, typed or filled in.
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                     [preview](const QString& path) { ShowPreview(*preview, path); });
    if (auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        QObject::connect(nameField, &QLineEdit::textChanged, preview, [&dialog, preview](const QString& typed) {
            ShowPreview(*preview, TypedFile(dialog, typed));
        });
        QObject::connect(&dialog, &QFileDialog::directoryEntered, preview, [&dialog, preview, nameField] {
            ShowPreview(*preview, TypedFile(dialog, nameField->text()));
        });
    }
}

} // namespace

QStringList PictureNameFilters()
{
    return {QStringLiteral("Все изображения (*.bmp *.jpg *.jpeg *.png *.webp *.gif *.tif *.tiff *.heic *.heif)"),
            QStringLiteral("Files with pictures (*.bmp *.jpg)")};
}

std::optional<QString> RunOpenPictureDialog(QFileDialog& dialog)
{
    AttachPreview(dialog);
    // The sidebar knows its places' names once the dialog shows.
    QTimer::singleShot(0, &dialog, [&dialog] { FitSidebar(dialog); });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files.front();
}

} // namespace velmora

#include "picture_dialog.h"

#include "scheme/picture_error.h"
#include "scheme/picture_loader.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <filesystem>
#include <new>

namespace velmora {

namespace {

constexpr int kPreviewSide = 160;
constexpr char kPreviewName[] = "PicturePreview";

QImage ToImage(const Bitmap& bitmap)
{
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto row = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); ++x) {
            const Color c = row[static_cast<std::size_t>(x)];
            line[x] = qRgb(Red(c), Green(c), Blue(c));
        }
    }
    return image;
}

void ShowPreview(QLabel& preview, const QString& path)
{
    preview.clear();
    if (!QFileInfo(path).isFile())
        return;
    try {
        const Bitmap picture = LoadPicture(std::filesystem::path(QFile::encodeName(path).toStdString()));
        preview.setPixmap(QPixmap::fromImage(
            ToImage(picture).scaled(preview.size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
    } catch (const PictureError&) {
        // Not a picture we read: the preview stays empty, as the wizard's load would fail too.
    } catch (const std::bad_alloc&) {
    }
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
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                     [preview](const QString& path) { ShowPreview(*preview, path); });
}

} // namespace

std::optional<QString> RunOpenPictureDialog(QFileDialog& dialog)
{
    AttachPreview(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files.front();
}

} // namespace velmora

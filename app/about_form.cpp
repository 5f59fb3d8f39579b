#include "about_form.h"

#include "version_record.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/window_font.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace velmora {
namespace {

// The right edge of lb_Version, which grows to the left.
constexpr int kVersionRight = 237;
// Longer file versions and internal names are cut to this many characters.
constexpr int kMaxVersionText = 255;

QFont LabelFont(int pixelHeight, bool bold, bool italic)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top)
{
    auto* label = new QLabel(QString::fromLatin1(name), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    // Transparent: the window shows through.
    label->setAutoFillBackground(false);
    label->setTextFormat(Qt::PlainText);
    label->adjustSize();
    return label;
}

void SetTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

Tfm_About::Tfm_About(QWidget* owner, QString executable) : QDialog(owner)
{
    setObjectName(QStringLiteral("fm_About"));
    CreateControls();
    FormCreate(executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable);
}

void Tfm_About::CreateControls()
{
    setWindowTitle(QStringLiteral("О программе"));
    // A fixed border with only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(313, 253);
    setFont(WindowBaseFont());

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QIcon(QStringLiteral(":/images/velmora.png")).pixmap(32, 32));
    Image1->setGeometry(8, 12, 32, 32);

    lb_Name = MakeLabel(this, "lb_Name", 48, 12);
    lb_Name->setFont(LabelFont(27, true, false));
    lb_Name->adjustSize();

    lb_Version = MakeLabel(this, "lb_Version", 0, 44);
    lb_Version->setFont(LabelFont(24, true, true));
    lb_Version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    SetTextColor(lb_Version, QColor(0, 0, 255));
    SetLabel(lb_Version, lb_Version->text());

    lb_FileVersion = MakeLabel(this, "lb_FileVersion", 244, 52);
    lb_InternalName = MakeLabel(this, "lb_InternalName", 8, 52);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 76, 297, 4);

    lb_Company = MakeLabel(this, "lb_Company", 8, 84);
    lb_Company->setFont(LabelFont(21, true, false));
    SetTextColor(lb_Company, QColor(128, 0, 128)); // purple
    lb_Company->adjustSize();

    lb_CopyRight = MakeLabel(this, "lb_CopyRight", 8, 112);
    lb_CopyRight->setFont(LabelFont(13, false, false));
    lb_CopyRight->adjustSize();

    mm_Comments = new QPlainTextEdit(QStringLiteral("mm_Comments"), this);
    mm_Comments->setObjectName(QStringLiteral("mm_Comments"));
    mm_Comments->setReadOnly(true);
    mm_Comments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mm_Comments->setGeometry(8, 140, 297, 61);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(116, 216, 81, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(mm_Comments, BitBtn1);
    mm_Comments->setFocus();
}

void Tfm_About::SetLabel(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
    if (label == lb_Version)
        label->move(kVersionRight - label->width(), label->y());
}

void Tfm_About::FormCreate(const QString& executable)
{
    const std::optional<VersionRecord> record = ReadVersionRecord(ToPath(executable));
    if (!record)
        return;
    const auto query = [&record](const char* name) {
        return record->Query(std::string("StringFileInfo\\041904E3\\") + name);
    };
    if (const auto text = query("ProductName"))
        SetLabel(lb_Name, Cp1251ToQString(*text));
    if (const auto text = query("ProductVersion"))
        SetLabel(lb_Version, QStringLiteral("версия ") + Cp1251ToQString(*text));
    if (const auto text = query("FileVersion"))
        SetLabel(lb_FileVersion, QLatin1Char('(') + Cp1251ToQString(text->substr(0, kMaxVersionText)) + QLatin1Char(')'));
    if (const auto text = query("CompanyName"))
        SetLabel(lb_Company, Cp1251ToQString(*text));
    if (const auto text = query("LegalTradeMarks"))
        SetLabel(lb_CopyRight, Cp1251ToQString(*text));
    if (const auto text = query("LegalCopyright"))
        SetLabel(lb_CopyRight, lb_CopyRight->text() + QStringLiteral(", ") + Cp1251ToQString(*text));
    if (const auto text = query("InternalName"))
        SetLabel(lb_InternalName, QLatin1Char('(') + Cp1251ToQString(text->substr(0, kMaxVersionText)) + QLatin1Char(')'));
    if (const auto text = query("Comments"))
        mm_Comments->setPlainText(Cp1251ToQString(*text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

} // namespace velmora

#include "about_dialog.h"

#include "version_record.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/window_font.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include <optional>

namespace velmora {
namespace {

// The box as designed, in pixels: its size and where each control sits.
constexpr QSize kBoxSize(313, 253);
constexpr QRect kIconRect(8, 12, 32, 32);
constexpr QRect kRuleRect(8, 76, 297, 4);
constexpr QRect kCommentsRect(8, 140, 297, 61);
constexpr QRect kOkButtonRect(116, 216, 81, 25);
// The right edge of lb_Version, which grows to the left.
constexpr int kVersionRight = 237;
// Longer file versions and internal names are cut to this many characters.
constexpr int kMaxVersionText = 255;

// A label of the box: it sizes itself to its text from its top-left corner, in Arial of the given
// pixel height or, when that is 0, in the window's font, and in the window's text colour unless
// one is given.
struct LabelDesign {
    QLabel* AboutDialog::*member;
    const char* name;
    QPoint topLeft;
    int fontPixels = 0;
    bool bold = false;
    bool italic = false;
    std::optional<QColor> color;
};

// In the form's order; lb_Version's left edge follows from kVersionRight.
const LabelDesign kLabels[] = {
    {&AboutDialog::lb_Name, "lb_Name", {48, 12}, 27, true, false, {}},
    {&AboutDialog::lb_Version, "lb_Version", {0, 44}, 24, true, true, QColor(0, 0, 255)},
    {&AboutDialog::lb_FileVersion, "lb_FileVersion", {244, 52}, 0, false, false, {}},
    {&AboutDialog::lb_InternalName, "lb_InternalName", {8, 52}, 0, false, false, {}},
    {&AboutDialog::lb_Company, "lb_Company", {8, 84}, 21, true, false, QColor(128, 0, 128)}, // purple
    {&AboutDialog::lb_CopyRight, "lb_CopyRight", {8, 112}, 13, false, false, {}},
};

QLabel* MakeLabel(QWidget* parent, const LabelDesign& design)
{
    auto* label = new QLabel(QString::fromLatin1(design.name), parent);
    label->setObjectName(QString::fromLatin1(design.name));
    label->move(design.topLeft);
    // Transparent: the window shows through.
    label->setAutoFillBackground(false);
    label->setTextFormat(Qt::PlainText);
    if (design.fontPixels > 0) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(design.fontPixels);
        font.setBold(design.bold);
        font.setItalic(design.italic);
        label->setFont(font);
    }
    if (design.color) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, *design.color);
        label->setPalette(palette);
    }
    label->adjustSize();
    return label;
}

} // namespace

AboutDialog::AboutDialog(QWidget* owner, QString executable) : QDialog(owner)
{
    setObjectName(QStringLiteral("fm_About"));
    CreateControls();
    FormCreate(executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable);
}

void AboutDialog::CreateControls()
{
    setWindowTitle(QStringLiteral("О программе"));
    // A fixed border with only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kBoxSize);
    setFont(WindowBaseFont());

    AppIcon = new QLabel(this);
    AppIcon->setObjectName(QStringLiteral("Image1"));
    AppIcon->setPixmap(QIcon(QStringLiteral(":/images/velmora.png")).pixmap(kIconRect.size()));
    AppIcon->setGeometry(kIconRect);

    for (const LabelDesign& design : kLabels)
        this->*design.member = MakeLabel(this, design);
    lb_Version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    SetLabel(lb_Version, lb_Version->text());

    Rule = new QFrame(this);
    Rule->setObjectName(QStringLiteral("Bevel1"));
    Rule->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Rule->setGeometry(kRuleRect);

    mm_Comments = new QPlainTextEdit(QStringLiteral("mm_Comments"), this);
    mm_Comments->setObjectName(QStringLiteral("mm_Comments"));
    mm_Comments->setReadOnly(true);
    mm_Comments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mm_Comments->setGeometry(kCommentsRect);

    OkButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("BitBtn1"));
    OkButton->setGeometry(kOkButtonRect);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(mm_Comments, OkButton);
    mm_Comments->setFocus();
}

void AboutDialog::SetLabel(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
    if (label == lb_Version)
        label->move(kVersionRight - label->width(), label->y());
}

void AboutDialog::FormCreate(const QString& executable)
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

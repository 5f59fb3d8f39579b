#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace velmora {

// The About box: everything it shows comes from the version record of the executable file, read
// afresh each time the box is created. Without a record the controls keep their own names.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `executable` is the file whose record is shown: the running program unless a test says
    // otherwise.
    explicit AboutDialog(QWidget* owner, QString executable = QString());

    QLabel* AppIcon = nullptr;
    QLabel* lb_Name = nullptr;
    QLabel* lb_Version = nullptr;
    QLabel* lb_FileVersion = nullptr;
    QLabel* lb_InternalName = nullptr;
    QFrame* Rule = nullptr;
    QLabel* lb_Company = nullptr;
    QLabel* lb_CopyRight = nullptr;
    QPlainTextEdit* mm_Comments = nullptr;
    QPushButton* OkButton = nullptr;

private:
    void CreateControls();
    void FormCreate(const QString& executable);
    // A label's text; lb_Version keeps its right edge where it is.
    void SetLabel(QLabel* label, const QString& text);
};

} // namespace velmora

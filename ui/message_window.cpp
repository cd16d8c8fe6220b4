#include "ui/message_window.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/captions.h"
#include "ui/qt_text.h"

namespace tomeo {

MessageWindow::MessageWindow(const char* text, QWidget* parent)
    : QDialog(parent), field_(new QPlainTextEdit(this)) {
    setWindowTitle(QString::fromUtf8(caption::kMessageTitle));
    setModal(true);
    QString shown = ToQt(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    field_->setPlainText(shown);
    field_->setReadOnly(true);
    field_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    field_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The caret at the start, nothing selected.
    field_->moveCursor(QTextCursor::Start);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok =
        buttons->addButton(QString::fromUtf8(caption::kMessageOk), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    buttons->setCenterButtons(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(buttons);
    const QFontMetrics metrics(font());
    resize(metrics.averageCharWidth() * 80, metrics.height() * 20);
    ok->setFocus();
}

QString MessageWindow::text() const {
    return field_->toPlainText();
}

}  // namespace tomeo

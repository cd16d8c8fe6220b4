// The message window ("Сообщение"): the whole report in a read-only, scrollable,
// multi-line field and "OK". Modal; Escape closes it too.
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace tomeo {

class MessageWindow : public QDialog {
    Q_OBJECT
public:
    // text: the report (Windows-1251, paragraphs separated by empty lines).
    MessageWindow(const char* text, QWidget* parent);

    QString text() const;

private:
    QPlainTextEdit* field_;
};

}  // namespace tomeo

#include "ui/indent_field.h"

#include <QLineEdit>
#include <QStyleOptionSpinBox>

#include "batch/settings.h"
#include "ui/qt_text.h"
#include "window/settings_sheet_logic.h"

namespace tomeo {

IndentField::IndentField(QWidget* parent)
    : QAbstractSpinBox(parent), paragraph_form_(PARAGRAPH_ONE_LINE) {
    lineEdit()->setMaxLength(kIndentFieldDigits);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { Check(); });
    Check();
}

void IndentField::SetParagraphForm(std::uint8_t paragraph_form) {
    paragraph_form_ = paragraph_form;
    Check();
}

void IndentField::SetIndent(int indent) {
    lineEdit()->setText(QString::number(indent));  // checked as if typed
    Check();
}

void IndentField::Check() {
    const IndentCheck check =
        CheckParagraphIndent(FromQt(lineEdit()->text()).c_str(), paragraph_form_);
    indent_ = check.indent;
    if (check.replace) {
        // Rewriting the text checks it again, and then it is left alone.
        lineEdit()->setText(QString::number(check.indent));
        lineEdit()->selectAll();
    }
}

void IndentField::stepBy(int steps) {
    const int minimum = MinParagraphIndent(paragraph_form_);
    lineEdit()->setText(QString::number(std::clamp(indent_ + steps, minimum, kMaxParagraphIndent)));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled IndentField::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (indent_ > MinParagraphIndent(paragraph_form_)) enabled |= StepDownEnabled;
    if (indent_ < kMaxParagraphIndent) enabled |= StepUpEnabled;
    return enabled;
}

// Digits only, at most two; the rest is the check's.
QValidator::State IndentField::validate(QString& input, int&) const {
    if (input.size() > kIndentFieldDigits) return QValidator::Invalid;
    for (const QChar c : input) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

// Room for two digits and the arrows.
QSize IndentField::sizeHint() const {
    ensurePolished();
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QFontMetrics metrics(font());
    const QSize content(metrics.horizontalAdvance(QStringLiteral("000")),
                        lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

}  // namespace tomeo

// The paragraph indent of the settings sheet: a field of at most two digits with up and
// down arrows. Every change of its text, and every change of the paragraph layout, is
// checked at once by the rule of window/settings_sheet_logic.h (25 becomes 16, a cleared
// field the minimum); a text within the limits stays as typed.
#pragma once

#include <QAbstractSpinBox>
#include <cstdint>

namespace tomeo {

class IndentField : public QAbstractSpinBox {
public:
    explicit IndentField(QWidget* parent);

    // The paragraph layout decides the minimum: the field is checked again.
    void SetParagraphForm(std::uint8_t paragraph_form);
    void SetIndent(int indent);
    int indent() const { return indent_; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    StepEnabled stepEnabled() const override;

private:
    void Check();

    std::uint8_t paragraph_form_;
    int indent_ = 0;
};

}  // namespace tomeo

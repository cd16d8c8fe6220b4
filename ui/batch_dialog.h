// The batch dialog "Файлы": the operations to run over every book of the list. Its six
// boxes start unticked every time; "Ok" is refused until one is ticked.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;

namespace tomeo {

class BatchDialog : public QDialog {
    Q_OBJECT
public:
    explicit BatchDialog(QWidget* parent);

    // The operation flags of the ticked boxes.
    std::uint32_t operations() const;
    QCheckBox* box(int i) const { return boxes_[static_cast<std::size_t>(i)]; }
    static constexpr int kBoxes = 6;

public Q_SLOTS:
    void accept() override;

private:
    std::array<QCheckBox*, kBoxes> boxes_{};
};

}  // namespace tomeo

#include "ui/batch_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/operations.h"
#include "ui/captions.h"

namespace tomeo {

namespace {

struct Box {
    const char* caption;
    std::uint32_t operation;
};

constexpr Box kBoxTable[BatchDialog::kBoxes] = {
    {caption::kBatchRename, OP_RENAME}, {caption::kBatchMove, OP_MOVE},
    {caption::kBatchPack, OP_ZIP},      {caption::kBatchDos, OP_DOS},
    {caption::kBatchUtf8, OP_UTF8},     {caption::kBatchToText, OP_TOTEXT},
};

}  // namespace

BatchDialog::BatchDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(caption::kBatchTitle));
    setModal(true);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* inside = new QVBoxLayout(frame);
    inside->addWidget(new QLabel(QString::fromUtf8(caption::kBatchFrame), frame));
    for (int i = 0; i < kBoxes; ++i) {
        boxes_[static_cast<std::size_t>(i)] =
            new QCheckBox(QString::fromUtf8(kBoxTable[i].caption), frame);
        inside->addWidget(boxes_[static_cast<std::size_t>(i)]);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok =
        buttons->addButton(QString::fromUtf8(caption::kBatchOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8(caption::kCancel), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &BatchDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::uint32_t BatchDialog::operations() const {
    std::uint32_t ops = 0;
    for (int i = 0; i < kBoxes; ++i) {
        if (boxes_[static_cast<std::size_t>(i)]->isChecked()) ops |= kBoxTable[i].operation;
    }
    return ops;
}

void BatchDialog::accept() {
    // Nothing ticked: the dialog stays open.
    if (operations() != 0) QDialog::accept();
}

}  // namespace tomeo

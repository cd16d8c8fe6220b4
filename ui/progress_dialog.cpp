#include "ui/progress_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/captions.h"
#include "ui/qt_text.h"

namespace tomeo {

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent),
      count_(new QLabel(this)),
      name_(new QLabel(this)),
      bar_(new QProgressBar(this)) {
    setWindowTitle(QString::fromUtf8(caption::kBatchTitle));
    // Modal while the run processes events: the main window takes no input meanwhile.
    setWindowModality(Qt::ApplicationModal);
    name_->setTextFormat(Qt::PlainText);
    name_->setMinimumWidth(fontMetrics().averageCharWidth() * 56);
    bar_->setTextVisible(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cancel =
        buttons->addButton(QString::fromUtf8(caption::kCancel), QDialogButtonBox::RejectRole);
    connect(cancel, &QPushButton::clicked, this, &ProgressDialog::reject);
    buttons->setCenterButtons(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count_);
    layout->addWidget(name_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ProgressDialog::ShowCount(std::int32_t number) {
    count_->setText(QString::fromUtf8(caption::kProgressCount).arg(number).arg(total_));
    bar_->setMaximum(total_ > 0 ? total_ : 1);
    bar_->setValue(done_);
}

void ProgressDialog::ListStarted(std::int32_t books) {
    total_ = books;
    done_ = 0;
    stop_ = false;
    ShowCount(0);
    if (books > kShownFrom) {
        show();
        QApplication::processEvents();
    }
}

void ProgressDialog::FileStarted(const TFILEINF& file) {
    if (!isVisible()) return;
    // The name elided in the middle so that the dialog keeps its width.
    const QString name = ToQt(file.name.c_str());
    name_->setText(name_->fontMetrics().elidedText(name, Qt::ElideMiddle, name_->minimumWidth()));
    ShowCount(done_ + 1);
    QApplication::processEvents();
}

void ProgressDialog::FileDone(bool) {
    ++done_;
    if (!isVisible()) return;
    bar_->setValue(done_);
    // The last book done: the report, if any, comes next, without this dialog behind it.
    if (done_ >= total_) hide();
    QApplication::processEvents();
}

bool ProgressDialog::StopRequested() {
    if (stop_) hide();
    return stop_;
}

void ProgressDialog::reject() {
    stop_ = true;
}

QString ProgressDialog::count_text() const {
    return count_->text();
}
QString ProgressDialog::name_text() const {
    return name_->text();
}

}  // namespace tomeo

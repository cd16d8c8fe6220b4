#include "ui/settings_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/settings_captions.h"
#include "ui/settings_pages.h"

namespace tomeo {

SettingsSheet::SettingsSheet(QWidget* parent, Settings& settings, BookScripts& scripts,
                             bool subdirectories)
    : QDialog(parent),
      settings_(settings),
      scripts_(scripts),
      values_(LoadSheetValues(settings, scripts, subdirectories)) {
    setWindowTitle(QString::fromUtf8(caption::kSettingsTitle));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    layout->addWidget(tabs_, 1);

    pages_[0] = new GeneralPage(tabs_);
    pages_[1] = new ViewerPage(tabs_);
    pages_[2] = new ScriptPage(tabs_, caption::kRenameScriptLabel, SheetScript::kRename,
                               &SettingsSheetValues::rename_script,
                               &SettingsSheetValues::rename_unreadable);
    pages_[3] =
        new ScriptPage(tabs_, caption::kMoveScriptLabel, SheetScript::kMove,
                       &SettingsSheetValues::move_script, &SettingsSheetValues::move_unreadable);
    pages_[4] = new TextPage(tabs_);
    pages_[5] = new ScriptPage(tabs_, caption::kHeaderScriptLabel, SheetScript::kTextHeader,
                               &SettingsSheetValues::header_script,
                               &SettingsSheetValues::header_unreadable);
    for (int i = 0; i < kSettingsPageCount; ++i) {
        tabs_->addTab(pages_[i], QString::fromUtf8(caption::kSettingsPages[i]));
    }

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QString::fromUtf8(caption::kSettingsOk), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("ok"));
    buttons->addButton(QString::fromUtf8(caption::kSettingsCancel), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { PageShown(index); });
    tabs_->setCurrentIndex(0);
    PageShown(0);
    resize(sizeHint().expandedTo(QSize(620, 440)));
}

void SettingsSheet::PageShown(int index) {
    if (index < 0 || index >= kSettingsPageCount || opened_[index]) return;
    opened_[index] = true;
    pages_[index]->Load(values_);
}

void SettingsSheet::accept() {
    for (int i = 0; i < kSettingsPageCount; ++i) {
        if (opened_[i]) pages_[i]->Store(values_);
    }
    outcome_ = StoreSheetValues(values_, opened_, settings_, scripts_);
    QDialog::accept();
}

SettingsOutcome SettingsSheet::Run() {
    outcome_ = SettingsOutcome{};
    exec();
    return outcome_;
}

// Centred over the main window the first time it shows.
void SettingsSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (centred_ || parentWidget() == nullptr) return;
    centred_ = true;
    const QRect over = parentWidget()->window()->frameGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(over.center());
    move(frame.topLeft());
}

}  // namespace tomeo

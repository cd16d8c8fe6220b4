// The settings sheet "Настройки": six pages over the settings and the three scripts, OK
// and "Отмена", modal over the main window and centred on it. A page shows the current
// values when it is first shown; OK stores the pages the user opened, the others keep
// their values; "Отмена" or closing the sheet stores nothing.
#pragma once

#include <QDialog>

#include "window/settings_sheet_logic.h"

class QTabWidget;

namespace tomeo {

class SettingsPageWidget;

class SettingsSheet : public QDialog {
public:
    // subdirectories: the list shows the books of subdirectories (mode 2) now.
    SettingsSheet(QWidget* parent, Settings& settings, BookScripts& scripts, bool subdirectories);

    // Runs the sheet modally; after OK the values are stored and the outcome says what
    // changed; after "Отмена" or closing, outcome().accepted is false.
    SettingsOutcome Run();
    // The outcome of the last OK or cancel (also for a sheet driven by accept/reject).
    const SettingsOutcome& outcome() const { return outcome_; }

    QTabWidget* tabs() const { return tabs_; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PageShown(int index);

    Settings& settings_;
    BookScripts& scripts_;
    SettingsSheetValues values_;
    OpenedPages opened_{};
    SettingsPageWidget* pages_[kSettingsPageCount];
    QTabWidget* tabs_;
    SettingsOutcome outcome_;
    bool centred_ = false;
};

}  // namespace tomeo

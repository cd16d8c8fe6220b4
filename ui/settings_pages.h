// The six pages of the settings sheet. Each shows its part of SettingsSheetValues when it
// is first shown (Load) and takes the user's choices back when the sheet's OK reaches it
// (Store). Controls carry object names so that the tests can find them.
#pragma once

#include <QWidget>
#include <string>

#include "window/settings_sheet_logic.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace tomeo {

class IndentField;

class SettingsPageWidget : public QWidget {
public:
    using QWidget::QWidget;
    virtual void Load(const SettingsSheetValues& values) = 0;
    virtual void Store(SettingsSheetValues& values) const = 0;
};

// "Общие"
class GeneralPage : public SettingsPageWidget {
public:
    explicit GeneralPage(QWidget* parent);
    void Load(const SettingsSheetValues& values) override;
    void Store(SettingsSheetValues& values) const override;

private:
    QButtonGroup* text_next_;
    QButtonGroup* fb2_next_;
    QButtonGroup* rtf_next_;
    QCheckBox* subdirectories_;
    QCheckBox* menu_txt_;
    QCheckBox* menu_fb2_;
    QCheckBox* menu_rtf_;
};

// "Открыть"
class ViewerPage : public SettingsPageWidget {
public:
    explicit ViewerPage(QWidget* parent);
    void Load(const SettingsSheetValues& values) override;
    void Store(SettingsSheetValues& values) const override;

private:
    QLineEdit* txt_;
    QLineEdit* fb2_;
    QLineEdit* rtf_;
};

// "Переименовать", "Переместить", "FB2->TXT (2)": one script's text.
class ScriptPage : public SettingsPageWidget {
public:
    ScriptPage(QWidget* parent, const char* label, SheetScript script,
               std::string SettingsSheetValues::*text,
               std::string SettingsSheetValues::*unreadable);
    void Load(const SettingsSheetValues& values) override;
    void Store(SettingsSheetValues& values) const override;

private:
    void CheckScript();

    SheetScript script_;
    std::string SettingsSheetValues::*text_;
    std::string SettingsSheetValues::*unreadable_;
    QString unreadable_message_;  // the script's file could not be read
    bool crlf_ = false;           // the text's lines ended with CR LF
    QPlainTextEdit* editor_;
    QLabel* error_;
    QTimer* check_timer_;
};

// "FB2->TXT"
class TextPage : public SettingsPageWidget {
public:
    explicit TextPage(QWidget* parent);
    void Load(const SettingsSheetValues& values) override;
    void Store(SettingsSheetValues& values) const override;

private:
    ParagraphForm Form() const;

    QButtonGroup* form_;
    IndentField* indent_;
    QButtonGroup* packing_;
    QLineEdit* dir_;
};


}  // namespace tomeo

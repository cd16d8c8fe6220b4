#include "ui/settings_pages.h"

#include <QButtonGroup>
#include <QDir>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/file_dialogs.h"
#include "ui/indent_field.h"
#include "ui/qt_text.h"
#include "ui/settings_captions.h"

namespace tomeo {

namespace {

QString Caption(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A group whose title runs over two or three lines: the first is the frame's title,
// the others a label at the top of the frame.
QVBoxLayout* TitledGroup(QWidget* parent, QGridLayout* grid, int row, int column, const char* title,
                         const char* more_lines) {
    auto* group = new QGroupBox(Caption(title), parent);
    auto* layout = new QVBoxLayout(group);
    if (more_lines != nullptr) layout->addWidget(new QLabel(Caption(more_lines), group));
    grid->addWidget(group, row, column);
    return layout;
}

// Radio buttons numbered 1, 2, ... in the group.
QButtonGroup* Radios(QWidget* parent, QVBoxLayout* layout, const char* name,
                     std::initializer_list<const char*> captions) {
    auto* group = new QButtonGroup(parent);
    int id = 1;
    for (const char* caption : captions) {
        auto* button = new QRadioButton(Caption(caption), layout->parentWidget());
        button->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(id));
        group->addButton(button, id++);
        layout->addWidget(button);
    }
    // A group beside a taller one keeps its buttons at the top.
    layout->addStretch();
    return group;
}

// Ticks button v; a value out of range ticks the first.
void Tick(QButtonGroup* group, int value) {
    QAbstractButton* button = group->button(value);
    if (button == nullptr) button = group->button(1);
    button->setChecked(true);
}

std::uint8_t Ticked(const QButtonGroup* group) {
    const int id = group->checkedId();
    return static_cast<std::uint8_t>(id < 1 ? 1 : id);
}

QLineEdit* PathField(QWidget* parent, QGridLayout* grid, int row, const char* label,
                     const char* name, std::function<void(QLineEdit*)> browse) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    auto* text = new QLabel(Caption(label), parent);
    text->setBuddy(field);
    auto* button = new QPushButton(Caption(caption::kBrowse), parent);
    button->setObjectName(QLatin1String(name) + QStringLiteral("Browse"));
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("==")) + 16);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, parent, [field, browse] { browse(field); });
    grid->addWidget(text, row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(button, row, 2);
    return field;
}


}  // namespace

// --- "Общие" -------------------------------------------------------------------------

GeneralPage::GeneralPage(QWidget* parent) : SettingsPageWidget(parent) {
    auto* grid = new QGridLayout(this);
    text_next_ = Radios(
        this, TitledGroup(this, grid, 0, 0, caption::kNextTextTitle, caption::kNextSecondLine),
        "textNext", {caption::kNextRename, caption::kNextPack, caption::kNextDosToWin});
    fb2_next_ = Radios(
        this, TitledGroup(this, grid, 0, 1, caption::kNextFb2Title, caption::kNextSecondLine),
        "fb2Next",
        {caption::kNextRename, caption::kNextPack, caption::kNextUtf8ToWin, caption::kNextToText});
    rtf_next_ = Radios(
        this, TitledGroup(this, grid, 1, 0, caption::kNextRtfTitle, caption::kNextSecondLine),
        "rtfNext", {caption::kNextRename, caption::kNextPack});

    QVBoxLayout* menu = TitledGroup(this, grid, 1, 1, caption::kMenuTitle, caption::kMenuLines);
    auto* boxes = new QHBoxLayout;
    menu->addLayout(boxes);
    menu_txt_ = new QCheckBox(Caption(caption::kMenuTxt), this);
    menu_fb2_ = new QCheckBox(Caption(caption::kMenuFb2), this);
    menu_rtf_ = new QCheckBox(Caption(caption::kMenuRtf), this);
    menu_txt_->setObjectName(QStringLiteral("menuTxt"));
    menu_fb2_->setObjectName(QStringLiteral("menuFb2"));
    menu_rtf_->setObjectName(QStringLiteral("menuRtf"));
    for (QCheckBox* box : {menu_txt_, menu_fb2_, menu_rtf_}) boxes->addWidget(box);
    boxes->addStretch();
    menu->addStretch();

    subdirectories_ = new QCheckBox(Caption(caption::kSubdirectories), this);
    subdirectories_->setObjectName(QStringLiteral("subdirectories"));
    grid->addWidget(subdirectories_, 2, 0, 1, 2);
    auto* note = new QLabel(Caption(caption::kSubdirectoriesNote), this);
    note->setContentsMargins(QFontMetrics(font()).horizontalAdvance(QStringLiteral("MMM")), 0, 0,
                             0);
    grid->addWidget(note, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
}

void GeneralPage::Load(const SettingsSheetValues& values) {
    Tick(text_next_, values.text_next);
    Tick(fb2_next_, values.fb2_next);
    Tick(rtf_next_, values.rtf_next);
    subdirectories_->setChecked(values.subdirectories);
    menu_txt_->setChecked(values.menu_txt);
    menu_fb2_->setChecked(values.menu_fb2);
    menu_rtf_->setChecked(values.menu_rtf);
}

void GeneralPage::Store(SettingsSheetValues& values) const {
    values.text_next = static_cast<NextFileAction>(Ticked(text_next_));
    values.fb2_next = static_cast<NextFileAction>(Ticked(fb2_next_));
    values.rtf_next = static_cast<NextFileAction>(Ticked(rtf_next_));
    values.subdirectories = subdirectories_->isChecked();
    values.menu_txt = menu_txt_->isChecked();
    values.menu_fb2 = menu_fb2_->isChecked();
    values.menu_rtf = menu_rtf_->isChecked();
}

// --- "Открыть" -----------------------------------------------------------------------

ViewerPage::ViewerPage(QWidget* parent) : SettingsPageWidget(parent) {
    auto* page = new QVBoxLayout(this);
    auto* group = new QGroupBox(Caption(caption::kViewersTitle), this);
    page->addWidget(group);
    page->addStretch();
    auto* grid = new QGridLayout(group);
    const auto browse = [this](QLineEdit* field) {
        const QString program = ChooseProgram(this);
        if (!program.isEmpty()) field->setText(program);
    };
    txt_ = PathField(group, grid, 0, caption::kViewerTxt, "viewerTxt", browse);
    fb2_ = PathField(group, grid, 1, caption::kViewerFb2, "viewerFb2", browse);
    rtf_ = PathField(group, grid, 2, caption::kViewerRtf, "viewerRtf", browse);
}

void ViewerPage::Load(const SettingsSheetValues& values) {
    txt_->setText(ToQt(values.viewer_txt));
    fb2_->setText(ToQt(values.viewer_fb2));
    rtf_->setText(ToQt(values.viewer_rtf));
}

void ViewerPage::Store(SettingsSheetValues& values) const {
    values.viewer_txt = FromQt(txt_->text());
    values.viewer_fb2 = FromQt(fb2_->text());
    values.viewer_rtf = FromQt(rtf_->text());
}

// --- The script pages ------------------------------------------------------------------

ScriptPage::ScriptPage(QWidget* parent, const char* label, SheetScript script,
                       std::string SettingsSheetValues::*text,
                       std::string SettingsSheetValues::*unreadable)
    : SettingsPageWidget(parent), script_(script), text_(text), unreadable_(unreadable) {
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(Caption(label), this);
    layout->addWidget(caption);
    editor_ = new QPlainTextEdit(this);
    editor_->setObjectName(QStringLiteral("script"));
    caption->setBuddy(editor_);
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor_->setTabChangesFocus(false);  // a tab is part of the script
    editor_->setTabStopDistance(4 * editor_->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    layout->addWidget(editor_, 1);
    // Not part of the settings: what the script would say on a sample book.
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("scriptError"));
    error_->setWordWrap(true);
    error_->setTextFormat(Qt::PlainText);
    QPalette palette = error_->palette();
    palette.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    error_->setPalette(palette);
    layout->addWidget(error_);
    // Checked a moment after the last keystroke.
    check_timer_ = new QTimer(this);
    check_timer_->setSingleShot(true);
    check_timer_->setInterval(250);
    connect(check_timer_, &QTimer::timeout, this, [this] { CheckScript(); });
    connect(editor_, &QPlainTextEdit::textChanged, check_timer_,
            static_cast<void (QTimer::*)()>(&QTimer::start));
}

void ScriptPage::Load(const SettingsSheetValues& values) {
    const std::string& text = values.*text_;
    crlf_ = text.find("\r\n") != std::string::npos;
    unreadable_message_ = ToQt(values.*unreadable_);
    QString shown = ToQt(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    editor_->setPlainText(shown);
    check_timer_->stop();
    CheckScript();
}

// The editor's text as typed: toPlainText would turn no-break spaces into spaces.
void ScriptPage::Store(SettingsSheetValues& values) const {
    QString text = editor_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    if (crlf_) text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    values.*text_ = FromQt(text);
}

void ScriptPage::CheckScript() {
    SettingsSheetValues values;
    Store(values);
    // An unreadable script's page stays empty until the user writes a new script.
    if ((values.*text_).empty() && !unreadable_message_.isEmpty()) {
        error_->setText(unreadable_message_);
        return;
    }
    error_->setText(ToQt(ScriptErrorOnSampleBook((values.*text_).c_str(), script_)));
}

// --- "FB2->TXT" ----------------------------------------------------------------------

TextPage::TextPage(QWidget* parent) : SettingsPageWidget(parent) {
    auto* grid = new QGridLayout(this);

    QVBoxLayout* format = TitledGroup(this, grid, 0, 0, caption::kTextFormatTitle, nullptr);
    form_ = Radios(this, format, "form", {caption::kOneLine, caption::kSeveralLines});
    // The note belongs to the second layout: under its caption.
    auto* note = new QLabel(Caption(caption::kSeveralLinesNote), this);
    const int indent = form_->button(PARAGRAPH_SEVERAL_LINES)->sizeHint().height() + 4;
    note->setContentsMargins(indent, 0, 0, 0);
    format->addWidget(note);

    auto* indent_row = new QHBoxLayout;
    indent_row->setContentsMargins(0, 6, 0, 0);
    auto* indent_label = new QLabel(Caption(caption::kIndentLabel), this);
    indent_ = new IndentField(this);
    indent_->setObjectName(QStringLiteral("indent"));
    indent_label->setBuddy(indent_);
    indent_row->addWidget(indent_label);
    indent_row->addWidget(indent_);
    indent_row->addStretch();
    format->addLayout(indent_row);
    // A click on either layout checks the indent against its minimum.
    connect(form_, &QButtonGroup::idClicked, this,
            [this](int) { indent_->SetParagraphForm(Form()); });

    QVBoxLayout* packing = TitledGroup(this, grid, 1, 0, caption::kTextPackingTitle, nullptr);
    packing_ = Radios(this, packing, "packing",
                      {caption::kNotPacked, caption::kInZip, caption::kAsSource});

    auto* dir_grid = new QGridLayout;
    dir_grid->setContentsMargins(0, 6, 0, 0);
    grid->addLayout(dir_grid, 2, 0);
    dir_ =
        PathField(this, dir_grid, 0, caption::kTextDirLabel, "textDir", [this](QLineEdit* field) {
            const QString start = field->text().isEmpty() ? QDir::homePath() : field->text();
            const QString dir = ChooseFolder(this, Caption(caption::kTextDirDialogTitle), start);
            if (!dir.isEmpty()) field->setText(dir);
        });
    grid->setRowStretch(3, 1);
}

ParagraphForm TextPage::Form() const {
    return form_->checkedId() == PARAGRAPH_SEVERAL_LINES ? PARAGRAPH_SEVERAL_LINES
                                                         : PARAGRAPH_ONE_LINE;
}

void TextPage::Load(const SettingsSheetValues& values) {
    Tick(form_, values.paragraph_form);
    indent_->SetParagraphForm(Form());
    indent_->SetIndent(values.paragraph_indent);
    Tick(packing_, values.text_packing);
    dir_->setText(ToQt(values.text_dir));
}

void TextPage::Store(SettingsSheetValues& values) const {
    values.paragraph_form = Form();
    values.paragraph_indent = static_cast<std::uint8_t>(indent_->indent());
    values.text_packing = static_cast<TextPacking>(Ticked(packing_));
    values.text_dir = FromQt(dir_->text());
}

}  // namespace tomeo

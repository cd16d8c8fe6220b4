// The progress of a batch run over the list: "N из M" and the book being processed. It
// appears only for runs over more than a few books; "Отмена" stops the run after the
// current book (the books done stay done). Events are processed between books, on the
// window's one thread.
#pragma once

#include <QDialog>

#include "batch/progress.h"

class QLabel;
class QProgressBar;

namespace tomeo {

class ProgressDialog : public QDialog, public ListRunProgress {
    Q_OBJECT
public:
    // Runs over more books than this show the dialog.
    static constexpr std::int32_t kShownFrom = 8;

    explicit ProgressDialog(QWidget* parent);

    // ListRunProgress
    void ListStarted(std::int32_t books) override;
    void FileStarted(const TFILEINF& file) override;
    void FileDone(bool failed) override;
    bool StopRequested() override;

    QString count_text() const;
    QString name_text() const;

public Q_SLOTS:
    void reject() override;  // "Отмена", Escape, the close box: stop after this book

private:
    // "N из M" with N the book being processed.
    void ShowCount(std::int32_t number);

    QLabel* count_;
    QLabel* name_;
    QProgressBar* bar_;
    std::int32_t total_ = 0;
    std::int32_t done_ = 0;
    bool stop_ = false;
};

}  // namespace tomeo

// The window on a desktop, offscreen: "Открыть" and Enter start the viewer (a fake that
// records its arguments), "?" hands the help page to the opener (a fake xdg-open).
#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "batch/app.h"
#include "batch/book_scripts.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_fixture.h"
#include "ui/captions.h"
#include "ui/file_list_model.h"
#include "ui/main_window.h"
#include "window/command_words.h"
#include "window/desktop_viewers.h"

using namespace tomeo;
using namespace tomeo::test;

class DesktopWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> tmp_;
    std::unique_ptr<ScopedEnv> env_;
    std::unique_ptr<Globals> globals_;
    std::unique_ptr<RunBuffers> run_;
    std::unique_ptr<DesktopViewers> viewers_;
    std::unique_ptr<MainWindow> window_;

    std::string Log(const std::string& name) const { return *tmp_ / (name + ".log"); }

    // The window over the sample library with the fake viewer configured for FB2 books.
    void Open(const std::string& name) {
        globals_ = std::make_unique<Globals>();
        run_ = std::make_unique<RunBuffers>();
        LoadScripts(globals_->scripts);
        run_->settings.viewer_fb2.assign(
            QuoteCommandWord(W(*tmp_ / "viewers/fake viewer")).c_str());
        viewers_ = std::make_unique<DesktopViewers>(run_->settings, globals_->temp_files);
        window_ = std::make_unique<MainWindow>(*globals_, *run_, *viewers_);
        window_->show();
        window_->Start(W(*tmp_ / "books/").c_str(), W(name).c_str());
    }

private Q_SLOTS:
    void init() {
        tmp_ = std::make_unique<TempDir>();
        env_ = std::make_unique<ScopedEnv>();
        std::filesystem::create_directories(*tmp_ / "books");
        std::filesystem::create_directories(*tmp_ / "bin");
        std::filesystem::create_directories(*tmp_ / "viewers");
        MakeSampleLibrary(*tmp_ / "books/");
        env_->Set("PATH", *tmp_ / "bin");  // no desktop program of this machine
        for (const std::string fake : {"xdg-open", "xdg-mime"}) {
            WriteScript(*tmp_ / ("bin/" + fake), "printf '%s\\n' \"$@\" >> '" + Log(fake) + "'");
        }
        WriteScript(*tmp_ / "viewers/fake viewer",
                    "printf '%s\\n' \"$@\" >> '" + Log("viewer") + "'");
    }
    void cleanup() {
        if (window_) window_->close();
        window_.reset();
        viewers_.reset();
        run_.reset();
        globals_.reset();
        env_.reset();
        tmp_.reset();
    }

    void OpenStartsTheConfiguredViewer() {
        Open(kUtf8Fb2);
        auto* open = qobject_cast<QPushButton*>(window_->control(Control::Open));
        QVERIFY(open->isEnabled());
        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(WaitForLines(Log("viewer"), 1), *tmp_ / "books/" + kUtf8Fb2 + "\n");
        QVERIFY(!FileExists(Log("xdg-mime")));  // a configured viewer needs no lookup

        // Enter on the row opens it too.
        window_->list()->setFocus();
        QTest::keyClick(window_->list(), Qt::Key_Return);
        QCOMPARE(WaitForLines(Log("viewer"), 2),
                 *tmp_ / "books/" + kUtf8Fb2 + "\n" + *tmp_ / "books/" + kUtf8Fb2 + "\n");
    }

    void ZippedBookOpensAsAPrivateCopy() {
        Open(kZip);
        QTest::mouseClick(window_->control(Control::Open), Qt::LeftButton);
        const std::string copy =
            std::string(getenv("XDG_RUNTIME_DIR")) + "/tomeo/tmp_" + kZipMember;
        QCOMPARE(WaitForLines(Log("viewer"), 1), copy + "\n");
        QVERIFY(FileExists(copy));
        QCOMPARE(globals_->temp_files.count(), 1);
        window_->close();
        window_.reset();
        viewers_.reset();
        globals_.reset();  // the copies go when the process ends
        QVERIFY(!FileExists(copy));
    }

    void KindWithoutViewerLeavesOpenDisabled() {
        Open(kRtf);  // no RTF viewer configured, and xdg-mime names no application
        QVERIFY(!window_->control(Control::Open)->isEnabled());
        QCOMPARE(ReadFile(Log("xdg-mime")), std::string("query\ndefault\napplication/rtf\n"));
    }

    void HelpHandsThePageToTheOpener() {
        Open("");
        QAction* help = nullptr;
        for (QAction* action : window_->menuBar()->actions()) {
            if (action->text() == QString::fromUtf8(caption::kMenuHelp)) help = action;
        }
        QVERIFY(help != nullptr);
        help->trigger();
        const std::string opened = WaitForLines(Log("xdg-open"), 1);
        QVERIFY(opened.ends_with("/tomeo/tomeo.html\n"));
        QVERIFY(FileExists(opened.substr(0, opened.size() - 1)));
    }
};

QTEST_MAIN(DesktopWindowTest)
#include "desktop_test.moc"

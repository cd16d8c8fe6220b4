// The window tests' ground: no display, a home of their own, and the one crossing
// between Windows-1251 and Qt's strings.
#include <QApplication>
#include <QStandardPaths>
#include <QTranslator>
#include <QtTest>

#include "core/charset.h"
#include "ui/application.h"
#include "ui/captions.h"
#include "ui/qt_text.h"

class PlumbingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void RunsOffscreenWithItsOwnHome() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        const QString config =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QVERIFY2(config.startsWith(QString::fromLocal8Bit(qgetenv("HOME")).section('/', 0, -2)),
                 qPrintable(config));
        QVERIFY(config.contains(QStringLiteral("tomeo-ui.")));
    }
    void QtSpeaksRussian() {
        QTranslator translator;
        QVERIFY(tomeo::LoadQtRussian(translator));
        QCoreApplication::installTranslator(&translator);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
        QCoreApplication::removeTranslator(&translator);
    }
    void TextsCrossBothWays() {
        constexpr auto files = tomeo::cp1251("Файлы № «1»");
        QCOMPARE(tomeo::ToQt(files.c_str()), QString::fromUtf8("Файлы № «1»"));
        QCOMPARE(tomeo::FromQt(QString::fromUtf8("Файлы № «1»")), std::string(files.c_str()));
        QCOMPARE(tomeo::ToQt(tomeo::cp1251(tomeo::caption::kMenuFiles).c_str()),
                 QString::fromUtf8(tomeo::caption::kMenuFiles));
        // No Windows-1251 form: never dropped, so a name holding it is refused.
        QCOMPARE(tomeo::FromQt(QString::fromUtf8("a\u4e2d")), std::string("a\x98"));
    }
};

QTEST_MAIN(PlumbingTest)
#include "plumbing_test.moc"

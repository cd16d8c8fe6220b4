#include <gtest/gtest.h>

#include <string>

#include "batch/report.h"
#include "core/messages.h"
#include "core/operations.h"

namespace tomeo {
namespace {

// The report in UTF-8, for readable expectations.
std::string Text(const Report& report) {
    return cp1251_to_utf8(report.text());
}

TEST(ReportFormat, QuotesOnlyArgumentsWithSpaces) {
    Report r;
    r.FormatReport(msg::kRenameFailed, "book.fb2");
    EXPECT_EQ(Text(r), "book.fb2 не переименован.");
    r.FormatReport(msg::kRenameFailed, "my book.fb2");
    EXPECT_EQ(Text(r), "\"my book.fb2\" не переименован.");
    r.FormatReport(msg::kMoveFailedTo, "a b.fb2", cp1251("/books/Толстой Лев/"));
    EXPECT_EQ(Text(r), "\"a b.fb2\" не перемещен в каталог \"/books/Толстой Лев/\".");
}

TEST(ReportFormat, PercentWithoutArgumentIsCopied) {
    Report r;
    r.FormatReport("100% %2 %x %1", "a");
    EXPECT_EQ(Text(r), "100% %2 %x a");
    r.FormatReport("%1\"", nullptr);
    EXPECT_EQ(Text(r), "%1\"");
    r.FormatReport("end %", "a");
    EXPECT_EQ(Text(r), "end %");
}

TEST(ReportResults, ParagraphsInTheFixedOrder) {
    Report r;
    FileResults f;
    f.name = "x.fb2";
    f.flags = RES_ZIP | RES_UTF8 | RES_RENAME;
    r.ReportResults(f);
    EXPECT_EQ(Text(r),
              "x.fb2 не переименован.\r\n\r\n"
              "x.fb2 не перекодирован.\r\n\r\n"
              "x.fb2 не заархивирован.");
}

TEST(ReportResults, ReasonsStayInTheirParagraph) {
    Report r;
    FileResults f;
    f.name = "x.fb2";
    f.flags = RES_UTF8_NOT1251 | RES_UTF8_BADCODE;
    r.ReportResults(f);
    EXPECT_EQ(Text(r),
              "x.fb2 не перекодирован. Недопустимый код UTF8. Файл содержит символы, которые "
              "не могут быть представлены в кодировке WIN1251.");

    r.ClearReport();
    f.flags = RES_TOTEXT | RES_TOTEXT_STRUCTURE | RES_TOTEXT_TAG;
    f.convert_error = "E";
    r.ReportResults(f);
    EXPECT_EQ(Text(r), "x.fb2 не переконвертирован. Неизвестный тег. Нарушена структура файла. E");
}

TEST(ReportResults, MoveForms) {
    Report r;
    FileResults f;
    f.name = "x.fb2";
    f.flags = RES_MOVE;
    r.ReportResults(f);
    EXPECT_EQ(Text(r), "x.fb2 не перемещен.");

    r.ClearReport();
    f.target_dir = "/b/";
    r.ReportResults(f);
    EXPECT_EQ(Text(r), "x.fb2 не перемещен в каталог /b/.");

    r.ClearReport();
    f.move_error = "script failed";
    r.ReportResults(f);
    EXPECT_EQ(Text(r), "x.fb2 не перемещен. script failed") << "a script error wins";
}

TEST(ReportResults, TwoFilesTwoParagraphs) {
    Report r;
    FileResults a;
    a.name = "a.fb2";
    a.flags = RES_RENAME;
    a.rename_error = "err";
    FileResults b;
    b.name = "b c.txt";
    b.flags = RES_ZIP;
    r.ReportResults(a);
    r.ReportResults(b);
    EXPECT_EQ(Text(r), "a.fb2 не переименован. err\r\n\r\n\"b c.txt\" не заархивирован.");
}

TEST(ReportResults, DescriptionFailuresAloneSayNothing) {
    Report r;
    FileResults f;
    f.flags = RES_DESCRIPTION | RES_INFO | RES_CODEPAGE | RES_EXTRACT;
    r.ReportResults(f);
    EXPECT_TRUE(r.is_empty());
}

// A reason the flags do not give ends every paragraph of the file, after the texts of
// the flags and the script's error; a named unknown tag follows its own reason.
TEST(ReportResults, TheFailReasonEndsEveryParagraphOfTheFile) {
    Report r;
    FileResults f;
    f.name = "x.fb2";
    f.flags = RES_RENAME | RES_MOVE | RES_UTF8_NOT1251 | RES_TOTEXT | RES_ZIP;
    f.target_dir = "/b/";
    f.rename_error = "E.";
    f.reason = FailReason::SourceChanged;
    r.ReportResults(f);
    const std::string changed = " Файл изменился во время обработки.";
    EXPECT_EQ(Text(r), "x.fb2 не переименован. E." + changed + "\r\n\r\n" +
                           "x.fb2 не перемещен в каталог /b/." + changed + "\r\n\r\n" +
                           "x.fb2 не перекодирован. Файл содержит символы, которые не могут быть "
                           "представлены в кодировке WIN1251." +
                           changed + "\r\n\r\n" + "x.fb2 не переконвертирован." + changed +
                           "\r\n\r\n" + "x.fb2 не заархивирован." + changed);

    r.ClearReport();
    f.flags = RES_RENAME;
    f.rename_error = "";
    f.reason = FailReason::UnknownEncoding;
    f.reason_detail = "koi 8";
    r.ReportResults(f);
    EXPECT_EQ(Text(r), "x.fb2 не переименован. Неизвестная кодировка \"koi 8\".");

    r.ClearReport();
    f.flags = RES_TOTEXT | RES_TOTEXT_TAG;
    f.reason = FailReason::None;
    f.unknown_tag = "sup";
    r.ReportResults(f);
    EXPECT_EQ(Text(r), "x.fb2 не переконвертирован. Неизвестный тег. Тег: <sup>.");
}

}  // namespace
}  // namespace tomeo

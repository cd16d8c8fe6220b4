// ProcessFile on real files in a temporary folder: what each operation leaves on disk,
// in the current file record and in the result flags.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "batch/directory_scan.h"
#include "core/charset.h"
#include "core/codepage.h"
#include "core/filetime.h"
#include "platform/files.h"
#include "tests/batch/pipeline_fixture.h"

namespace tomeo::test {
namespace {

using Names = std::vector<std::string>;

// The name the default rename.sc gives the default sample book.
const std::string kNamed = "Петров Иван - Книга";

ino_t Inode(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

FILETIME LocalTime(int year, int month, int day, int hour, int minute, int second) {
    return civil_to_filetime({year, month, day, hour, minute, second});
}

// --- Renaming -----------------------------------------------------------------------

TEST_F(PipelineTest, RenamesALooseBookByTheFileSystem) {
    const std::string book = MakeFb2({});
    Put("abc.fb2", book);
    const ino_t inode = Inode(Path("abc.fb2"));
    EXPECT_EQ(Process("abc.fb2", OP_RENAME), 0u);
    EXPECT_EQ(Files(), Names{kNamed + ".fb2"});
    EXPECT_EQ(Get(kNamed + ".fb2"), book);
    EXPECT_EQ(Inode(Path(kNamed + ".fb2")), inode);
    EXPECT_EQ(pipeline->current().name.c_str(), W(kNamed + ".fb2"));
}

TEST_F(PipelineTest, RenameNeverReplacesAnExistingFile) {
    Put("abc.fb2", MakeFb2({}));
    Put(kNamed + ".fb2", "another book");
    EXPECT_EQ(Process("abc.fb2", OP_RENAME), RES_RENAME);
    EXPECT_EQ(Get("abc.fb2"), MakeFb2({}));
    EXPECT_EQ(Get(kNamed + ".fb2"), "another book");
}

TEST_F(PipelineTest, RenameToTheSameNameDoesNothingAndCaseAloneIsARename) {
    Put(kNamed + ".fb2", MakeFb2({}));
    EXPECT_EQ(Process(kNamed + ".fb2", OP_RENAME), 0u);
    EXPECT_EQ(Files(), Names{kNamed + ".fb2"});

    SetScript(globals.scripts.rename, "$filename = \"ПЕТРОВ Иван - Книга\"");
    EXPECT_EQ(Process(kNamed + ".fb2", OP_RENAME), 0u);
    EXPECT_EQ(Files(), Names{"ПЕТРОВ Иван - Книга.fb2"});
}

TEST_F(PipelineTest, RenamingAZippedBookCopiesTheMemberUnchanged) {
    const std::string book = MakeFb2({});
    Put("x.zip", MakeZip({"x.fb2", book}));
    const ZipContents before = ReadZip(Get("x.zip"));
    EXPECT_EQ(Process("x.zip", OP_RENAME), 0u);
    ASSERT_EQ(Files(), Names{kNamed + ".zip"});
    const ZipContents after = ReadZip(Get(kNamed + ".zip"));
    ASSERT_TRUE(after.ok);
    EXPECT_EQ(after.name, kNamed + ".fb2");
    EXPECT_EQ(after.compressed, before.compressed);
    EXPECT_EQ(after.crc, before.crc);
    EXPECT_EQ(after.dos_time, before.dos_time);
    EXPECT_EQ(after.dos_date, before.dos_date);
    EXPECT_EQ(after.content, book);
    const CurrentFile& c = pipeline->current();
    EXPECT_EQ(c.name.c_str(), W(kNamed + ".fb2"));
    EXPECT_EQ(c.zipname.c_str(), W(kNamed + ".zip"));
    EXPECT_EQ(c.container, CONTAINER_ZIP);
    EXPECT_EQ(c.size, static_cast<std::int32_t>(book.size()));
}

TEST_F(PipelineTest, ANewMemberNameInAnArchiveOfTheRightNameReplacesItInOneStep) {
    Put(kNamed + ".zip", MakeZip({"x.fb2", MakeFb2({})}));
    const ino_t inode = Inode(Path(kNamed + ".zip"));
    EXPECT_EQ(Process(kNamed + ".zip", OP_RENAME), 0u);
    EXPECT_EQ(Files(), Names{kNamed + ".zip"});
    EXPECT_NE(Inode(Path(kNamed + ".zip")), inode);
    EXPECT_EQ(ReadZip(Get(kNamed + ".zip")).name, kNamed + ".fb2");
}

// On a case-sensitive file system a name in other letters is another file: the
// temporary "new_" archive takes it without replacing what may bear it already.
TEST_F(PipelineTest, ZippedRenameInOtherLetterCaseKeepsAFileOfThatName) {
    Put("x.zip", MakeZip({"x.fb2", MakeFb2({})}));
    SetScript(globals.scripts.rename, "$filename = \"X\"");
    EXPECT_EQ(Process("x.zip", OP_RENAME), 0u);
    EXPECT_EQ(Files(), Names{"X.zip"});
    EXPECT_EQ(ReadZip(Get("X.zip")).name, "X.fb2");

    Put("x.zip", MakeZip({"x.fb2", MakeFb2({})}));
    Put("X.zip", "somebody else's");
    const std::string source = Get("x.zip");
    EXPECT_EQ(Process("x.zip", OP_RENAME), RES_RENAME);
    EXPECT_EQ(Files(), (Names{"X.zip", "x.zip"}));
    EXPECT_EQ(Get("x.zip"), source);
    EXPECT_EQ(Get("X.zip"), "somebody else's");
}

// Two names of one file look like a case-insensitive file system: the new archive
// replaces the source atomically, then takes the other name if it can. Here the other
// name still holds the old archive, so the rename fails, and nothing is lost.
TEST_F(PipelineTest, ARenameOntoAnotherNameOfTheSameFileLosesNothing) {
    const std::string book = MakeFb2({});
    Put("x.zip", MakeZip({"x.fb2", book}));
    ASSERT_EQ(link(Path("x.zip").c_str(), Path("X.zip").c_str()), 0);
    SetScript(globals.scripts.rename, "$filename = \"X\"");
    EXPECT_EQ(Process("x.zip", OP_RENAME), RES_RENAME);
    EXPECT_EQ(Files(), (Names{"X.zip", "x.zip"}));
    EXPECT_EQ(ReadZip(Get("x.zip")).name, "X.fb2");
    EXPECT_EQ(ReadZip(Get("x.zip")).content, book);
    EXPECT_EQ(ReadZip(Get("X.zip")).name, "x.fb2");
    EXPECT_STREQ(pipeline->current().name.c_str(), "X.fb2");
    EXPECT_STREQ(pipeline->current().zipname.c_str(), "x.zip");
}

TEST_F(PipelineTest, NamesThatWouldLeaveTheFolderFailTheRename) {
    Put("abc.fb2", MakeFb2({}));
    for (const std::string name : {"a/b", "..", ".", "", "/abs"}) {
        SCOPED_TRACE(name);
        SetScript(globals.scripts.rename, "$filename = \"" + name + "\"");
        EXPECT_EQ(Process("abc.fb2", OP_RENAME), RES_RENAME);
        EXPECT_EQ(Files(), Names{"abc.fb2"});
        EXPECT_STREQ(globals.rename_error.c_str(), "");
    }
    Select("abc.fb2");
    Report report;
    EXPECT_FALSE(pipeline->RenameTo("../up", report));
    EXPECT_EQ(report.text(), W("abc.fb2 не переименован. Новое имя недопустимо."));
    EXPECT_EQ(Files(), Names{"abc.fb2"});
}

TEST_F(PipelineTest, AScriptErrorFailsTheRenameWithItsMessage) {
    Put("my book.fb2", MakeFb2({}));
    SetScript(globals.scripts.rename, "$filename = 5");
    EXPECT_EQ(Process("my book.fb2", OP_RENAME | OP_ZIP), RES_RENAME | RES_ZIP);
    EXPECT_STRNE(globals.rename_error.c_str(), "");
    EXPECT_EQ(Files(), Names{"my book.fb2"});
    Report report;
    pipeline->ReportCurrentResults(report);
    EXPECT_EQ(report.text(), W("\"my book.fb2\" не переименован. ") +
                                 globals.scripts.rename.error_message() + "\r\n\r\n" +
                                 W("\"my book.fb2\" не заархивирован."));
}

// --- Packing ------------------------------------------------------------------------

TEST_F(PipelineTest, PackingKeepsTheFileTimeAndNamesTheArchive) {
    const std::string book = MakeFb2({});
    Put("book.fb2", book);
    const FILETIME time = LocalTime(2010, 5, 6, 7, 8, 11);
    ASSERT_TRUE(platform::SetFileLastWriteTime(W(Path("book.fb2")).c_str(), time));
    EXPECT_EQ(Process("book.fb2", OP_ZIP), 0u);
    ASSERT_EQ(Files(), Names{"book.zip"});
    const ZipContents zip = ReadZip(Get("book.zip"));
    ASSERT_TRUE(zip.ok);
    EXPECT_EQ(zip.name, "book.fb2");
    EXPECT_EQ(zip.content, book);
    const DosDateTime dos = filetime_to_dos(time);
    EXPECT_EQ(zip.dos_date, dos.date);
    EXPECT_EQ(zip.dos_time, dos.time);
    const CurrentFile& c = pipeline->current();
    EXPECT_EQ(c.container, CONTAINER_ZIP);
    EXPECT_STREQ(c.zipname.c_str(), "book.zip");
    EXPECT_STREQ(c.name.c_str(), "book.fb2");
    EXPECT_EQ(c.time, truncate_to_dos_resolution(time));
}

TEST_F(PipelineTest, PackingAZippedBookHasNothingToDo) {
    Put("x.zip", MakeZip({"x.fb2", MakeFb2({})}));
    const std::string before = Get("x.zip");
    EXPECT_EQ(Process("x.zip", OP_ZIP), 0u);
    EXPECT_EQ(Get("x.zip"), before);
}

TEST_F(PipelineTest, PackAndMoveWritesTheArchiveStraightIntoTheNewFolder) {
    Put("book.fb2", MakeFb2({}));
    MoveInto("a/b/c");
    EXPECT_EQ(Process("book.fb2", OP_ZIP | OP_MOVE), 0u);
    EXPECT_EQ(Files(), Names{"a/b/c/book.zip"});
    EXPECT_EQ(pipeline->current().dir.c_str(), W(dir.path() + "a/b/c/"));
}

TEST_F(PipelineTest, RenamePackAndMoveTogether) {
    Put("book.fb2", MakeFb2({}));
    MoveInto("sorted");
    EXPECT_EQ(Process("book.fb2", OP_RENAME | OP_ZIP | OP_MOVE), 0u);
    ASSERT_EQ(Files(), Names{"sorted/" + kNamed + ".zip"});
    EXPECT_EQ(ReadZip(Get("sorted/" + kNamed + ".zip")).name, kNamed + ".fb2");
}

TEST_F(PipelineTest, AnUnreadableDescriptionFailsEveryOperationThatNeedsIt) {
    const std::string broken = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook/>";
    Put("book.fb2", broken);
    const std::uint32_t result = Process("book.fb2", OP_RENAME | OP_ZIP);
    EXPECT_EQ(result & (RES_RENAME | RES_ZIP), RES_RENAME | RES_ZIP);
    EXPECT_EQ(Files(), Names{"book.fb2"});
    EXPECT_EQ(Process("book.fb2", OP_ZIP), 0u);  // packing alone never reads it
    EXPECT_EQ(ReadZip(Get("book.zip")).content, broken);
}

// A size that does not fit a signed 32-bit count is refused, never wrapped.
TEST_F(PipelineTest, ABookOfTwoGibibytesIsRefused) {
    Put("big.fb2", "");
    ASSERT_EQ(truncate(Path("big.fb2").c_str(), std::int64_t{1} << 31), 0);
    EXPECT_EQ(Process("big.fb2", OP_ZIP), RES_ZIP);
    EXPECT_EQ(Files(), Names{"big.fb2"});
    EXPECT_EQ(std::filesystem::file_size(Path("big.fb2")), std::uintmax_t{1} << 31);
}

// --- Recoding -----------------------------------------------------------------------

TEST_F(PipelineTest, RecodingAUtf8BookReplacesItInPlace) {
    Put("book.fb2", MakeFb2({}));
    EXPECT_EQ(Process("book.fb2", OP_UTF8), 0u);
    Fb2Shape shape;
    shape.encoding = "windows-1251";
    EXPECT_EQ(Files(), Names{"book.fb2"});
    EXPECT_EQ(Get("book.fb2"), MakeFb2(shape));
    EXPECT_EQ(pipeline->codepage_state(), CP_1251);

    const ino_t inode = Inode(Path("book.fb2"));
    EXPECT_EQ(Process("book.fb2", OP_UTF8), 0u);  // already Windows-1251
    EXPECT_EQ(Inode(Path("book.fb2")), inode);
}

TEST_F(PipelineTest, RecodingAZippedBookStampsTheMemberWithThePresentTime) {
    Put("x.zip", MakeZip({"x.fb2", MakeFb2({})}));
    EXPECT_EQ(Process("x.zip", OP_UTF8), 0u);
    ASSERT_EQ(Files(), Names{"x.zip"});
    const ZipContents zip = ReadZip(Get("x.zip"));
    Fb2Shape shape;
    shape.encoding = "windows-1251";
    EXPECT_EQ(zip.content, MakeFb2(shape));
    const ZipMember packed_then;
    EXPECT_NE(zip.dos_date, packed_then.dos_date);
}

TEST_F(PipelineTest, RecodingStopsAtACharacterItCannotKeep) {
    struct Case {
        std::string body;
        std::uint32_t result;
    };
    const Case cases[] = {
        {"Снеговик ☃ стоит.", RES_UTF8_NOT1251},
        {"Плохой \xC3\x28 байт.", RES_UTF8_BADCODE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        Fb2Shape shape;
        shape.paragraphs = {c.body};
        const std::string book = MakeFb2(shape);
        Put("book.fb2", book);
        EXPECT_EQ(Process("book.fb2", OP_UTF8), c.result);
        EXPECT_EQ(Files(), Names{"book.fb2"});
        EXPECT_EQ(Get("book.fb2"), book);
        Report report;
        EXPECT_FALSE(pipeline->RecodeUtf8(report));
        const std::string reason =
            c.result == RES_UTF8_NOT1251
                ? " Файл содержит символы, которые не могут быть представлены в кодировке WIN1251."
                : " Недопустимый код UTF8.";
        EXPECT_EQ(report.text(), W("book.fb2 не перекодирован." + reason));
    }
}

// A UTF-8 text is never touched by d; u recodes it (its byte-order mark dropped) or
// refuses it with the reason, as for FB2 books, also from the window's button.
TEST_F(PipelineTest, Utf8TextIsRecodedByUAndNeverByD) {
    const std::string utf8 = "\xEF\xBB\xBFЛев Толстой\r\nВойна и мир\r\n— «Ну что, князь?»\r\n";
    Put("book.txt", utf8);
    const ino_t inode = Inode(Path("book.txt"));
    EXPECT_EQ(Process("book.txt", OP_DOS), 0u);
    EXPECT_EQ(pipeline->codepage_state(), CP_UTF8);
    EXPECT_EQ(Inode(Path("book.txt")), inode);
    EXPECT_EQ(Get("book.txt"), utf8);
    Report report;
    EXPECT_TRUE(pipeline->RecodeUtf8(report));
    EXPECT_EQ(Get("book.txt"), W("Лев Толстой\r\nВойна и мир\r\n— «Ну что, князь?»\r\n"));
    EXPECT_EQ(pipeline->codepage_state(), CP_1251);

    const std::string snowman = "Снеговик ☃ стоит.\n" + std::string(2000, '.') + "\n";
    Put("book.txt", snowman);
    EXPECT_EQ(Process("book.txt", OP_UTF8 | OP_DOS), RES_UTF8_NOT1251);
    EXPECT_EQ(Files(), Names{"book.txt"});
    EXPECT_EQ(Get("book.txt"), snowman);
    EXPECT_FALSE(pipeline->RecodeUtf8(report));
    EXPECT_EQ(report.text(), W("book.txt не перекодирован. Файл содержит символы, которые не могут "
                               "быть представлены в кодировке WIN1251."));
}

TEST_F(PipelineTest, RecodingDosTextAndLeavingWindowsTextAlone) {
    const std::string text =
        W("Мороз и солнце, день чудесный. Еще ты дремлешь, друг прелестный. Пора, красавица, "
          "проснись. Открой сомкнуты негой взоры навстречу северной Авроры.\r\n");
    std::string dos = text;
    ansi_to_oem(dos.data(), dos.size());
    Put("dos.txt", dos);
    EXPECT_EQ(Process("dos.txt", OP_DOS), 0u);
    EXPECT_EQ(Get("dos.txt"), text);
    const ino_t inode = Inode(Path("dos.txt"));
    EXPECT_EQ(Process("dos.txt", OP_DOS), 0u);
    EXPECT_EQ(Inode(Path("dos.txt")), inode);
    // Recoding does not apply to other kinds.
    Put("book.fb2", MakeFb2({}));
    EXPECT_EQ(Process("book.fb2", OP_DOS), 0u);
    EXPECT_EQ(Get("book.fb2"), MakeFb2({}));
}

// --- Converting to text -------------------------------------------------------------

// The default header (authors, title), the blank lines a section opens with, the body.
std::string ExpectedText() {
    return W(" Иван Петров\r\n Книга\r\n\r\n\r\n Первый абзац.\r\n Второй абзац.\r\n");
}

TEST_F(PipelineTest, RecodeAndConvertTogether) {
    Put("book.fb2", MakeFb2({}));
    EXPECT_EQ(Process("book.fb2", OP_UTF8 | OP_TOTEXT), 0u);
    EXPECT_EQ(Files(), (Names{"book.fb2", "book.txt"}));
    EXPECT_EQ(Get("book.txt"), ExpectedText());
    Fb2Shape shape;
    shape.encoding = "windows-1251";
    EXPECT_EQ(Get("book.fb2"), MakeFb2(shape));
    const TFILEINF& produced = pipeline->produced();
    EXPECT_STREQ(produced.name.c_str(), "book.txt");
    EXPECT_EQ(produced.dir.c_str(), W(dir.path()));
    EXPECT_EQ(produced.kind, KIND_TXT);
    EXPECT_EQ(produced.container, CONTAINER_FILE);
    EXPECT_EQ(produced.size, static_cast<std::int32_t>(ExpectedText().size()));
}

TEST_F(PipelineTest, TheTextOfAZippedBookIsNamedAfterTheBookAndPackedAsSet) {
    struct Case {
        TextPacking packing;
        std::string file;  // what appears in the text folder
        bool packed;
    };
    const Case cases[] = {
        {TEXT_NOT_PACKED, "texts/book.txt", false},
        {TEXT_IN_ZIP, "texts/book.zip", true},
        {TEXT_AS_SOURCE, "texts/book.zip", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directories(Path("texts"));
        Put("x.zip", MakeZip({"book.fb2", MakeFb2({})}));
        run.settings.text_packing = c.packing;
        run.settings.text_dir.assign(W(Path("texts")).c_str());
        EXPECT_EQ(Process("x.zip", OP_TOTEXT), 0u);
        EXPECT_EQ(Files(), (Names{c.file, "x.zip"}));
        const TFILEINF& produced = pipeline->produced();
        EXPECT_STREQ(produced.name.c_str(), "book.txt");
        EXPECT_EQ(produced.dir.c_str(), W(Path("texts/")));
        if (c.packed) {
            const ZipContents zip = ReadZip(Get(c.file));
            EXPECT_EQ(zip.name, "book.txt");
            EXPECT_EQ(zip.content, ExpectedText());
            EXPECT_EQ(produced.container, CONTAINER_ZIP);
            EXPECT_STREQ(produced.zipname.c_str(), "book.zip");
            EXPECT_EQ(produced.zipsize, static_cast<std::int32_t>(Get(c.file).size()));
        } else {
            EXPECT_EQ(Get(c.file), ExpectedText());
            EXPECT_EQ(produced.container, CONTAINER_FILE);
        }
    }
}

TEST_F(PipelineTest, TheTextFileIsNeverWrittenOverItsOwnSourceOrItsReplacement) {
    Put("book.zip", MakeZip({"book.fb2", MakeFb2({})}));
    const std::string source = Get("book.zip");
    EXPECT_EQ(Process("book.zip", OP_TOTEXT), RES_TOTEXT);
    EXPECT_EQ(Process("book.zip", OP_TOTEXT | OP_UTF8), RES_TOTEXT | RES_UTF8);
    EXPECT_EQ(Files(), Names{"book.zip"});
    EXPECT_EQ(Get("book.zip"), source);

    // Packing a loose book with its text packed too: both would be book.zip.
    Put("loose.fb2", MakeFb2({}));
    run.settings.text_packing = TEXT_IN_ZIP;
    EXPECT_EQ(Process("loose.fb2", OP_ZIP | OP_TOTEXT), RES_ZIP | RES_TOTEXT);
    EXPECT_EQ(Files(), (Names{"book.zip", "loose.fb2"}));
}

TEST_F(PipelineTest, AMissingTextFolderFailsTheConversionAndAnOldTextIsReplaced) {
    Put("book.fb2", MakeFb2({}));
    run.settings.text_dir.assign(W(Path("nowhere")).c_str());
    EXPECT_EQ(Process("book.fb2", OP_TOTEXT), RES_TOTEXT);
    EXPECT_EQ(Files(), Names{"book.fb2"});

    run.settings.text_dir.clear();
    Put("book.txt", "an older text");
    EXPECT_EQ(Process("book.fb2", OP_TOTEXT), 0u);
    EXPECT_EQ(Get("book.txt"), ExpectedText());
}

TEST_F(PipelineTest, AHeaderScriptErrorFailsTheConversionWithItsMessage) {
    Put("book.fb2", MakeFb2({}));
    SetScript(globals.scripts.header, "printp(5)");
    EXPECT_EQ(Process("book.fb2", OP_TOTEXT), RES_TOTEXT);
    EXPECT_STRNE(globals.convert_error.c_str(), "");
    EXPECT_EQ(Files(), Names{"book.fb2"});
    Select("book.fb2");
    Report report;
    EXPECT_FALSE(pipeline->Convert(report));
    EXPECT_EQ(report.text(),
              W("book.fb2 не переконвертирован. ") + globals.scripts.header.error_message());
}

TEST_F(PipelineTest, ConversionFailuresKeepTheirReason) {
    Fb2Shape shape;
    shape.paragraphs = {"<unknowntag>x</unknowntag>"};
    Put("book.fb2", MakeFb2(shape));
    EXPECT_EQ(Process("book.fb2", OP_TOTEXT), RES_TOTEXT | RES_TOTEXT_TAG);
    EXPECT_EQ(Files(), Names{"book.fb2"});
}

// --- Moving -------------------------------------------------------------------------

TEST_F(PipelineTest, MovesCreateTheFolderAndNeverReplace) {
    Put("book.fb2", MakeFb2({}));
    MoveInto("");  // the folder the book is in
    EXPECT_EQ(Process("book.fb2", OP_MOVE), 0u);
    EXPECT_EQ(Files(), Names{"book.fb2"});

    MoveInto("new/deeper");
    EXPECT_EQ(Process("book.fb2", OP_MOVE), 0u);
    EXPECT_EQ(Files(), Names{"new/deeper/book.fb2"});

    Fb2Shape another;
    another.title = "Другая";
    Put("book.fb2", MakeFb2(another));
    EXPECT_EQ(Process("book.fb2", OP_MOVE), RES_MOVE);
    EXPECT_EQ(Files(), (Names{"book.fb2", "new/deeper/book.fb2"}));
    Report report;
    pipeline->ReportCurrentResults(report);
    EXPECT_EQ(report.text(), W("book.fb2 не перемещен в каталог " + dir.path() +
                               "new/deeper. Файл с таким именем уже существует."));
}

TEST_F(PipelineTest, AMoveScriptErrorGivesTheShortMessageAndTheError) {
    Put("book.fb2", MakeFb2({}));
    SetScript(globals.scripts.move, "$dir = $nothing");
    EXPECT_EQ(Process("book.fb2", OP_MOVE), RES_MOVE);
    Report report;
    pipeline->ReportCurrentResults(report);
    EXPECT_EQ(report.text(), W("book.fb2 не перемещен. ") + globals.scripts.move.error_message());
}

TEST_F(PipelineTest, AHomeRelativeTargetGoesBelowTheHomeFolder) {
    const char* saved = std::getenv("HOME");
    const std::string home = saved != nullptr ? saved : "";
    setenv("HOME", Path("home").c_str(), 1);
    Put("book.fb2", MakeFb2({}));
    EXPECT_EQ(Process("book.fb2", OP_MOVE), 0u);  // the default: ~/books/Author
    EXPECT_EQ(Files(), Names{"home/books/Петров Иван/book.fb2"});
    EXPECT_EQ(globals.target_dir.c_str(), W("~/books/Петров Иван"));
    if (saved != nullptr) {
        setenv("HOME", home.c_str(), 1);
    } else {
        unsetenv("HOME");
    }
}

TEST_F(PipelineTest, MovingAZippedBookMovesTheArchive) {
    Put("x.zip", MakeZip({"x.fb2", MakeFb2({})}));
    const std::string archive = Get("x.zip");
    MoveInto("m");
    EXPECT_EQ(Process("x.zip", OP_MOVE), 0u);
    EXPECT_EQ(Files(), Names{"m/x.zip"});
    EXPECT_EQ(Get("m/x.zip"), archive);
}

// --- The list run -------------------------------------------------------------------

TEST_F(PipelineTest, AProducedTextIsListedAfterItsSourceAndNotProcessedAgain) {
    Put("a.fb2", MakeFb2({}));
    Put("b.fb2", MakeFb2({}));
    Put("b.fb2x.txt", "an older text");
    run.settings.text_packing = TEXT_NOT_PACKED;
    SetScript(globals.scripts.rename, "$filename = $bookfile + \"x\"");
    List();
    Report report;
    pipeline->RunOperationsOnList(OP_RENAME | OP_TOTEXT, report);
    EXPECT_STREQ(report.text(), "");
    EXPECT_EQ(Files(), (Names{"a.fb2x.fb2", "a.fb2x.txt", "b.fb2x.fb2", "b.fb2x.txt"}));
    EXPECT_EQ(Get("b.fb2x.txt"), ExpectedText());
    std::vector<std::string> listed;
    for (std::int32_t i = 0; i < globals.file_list.count(); ++i) {
        listed.push_back(globals.file_list.at(i).name.c_str());
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"..", "a.fb2x.fb2", "a.fb2x.txt", "b.fb2x.fb2",
                                                "b.fb2x.txt"}));
}

TEST_F(PipelineTest, FilesMovedAwayLeaveTheListAndEveryOtherIsStillProcessed) {
    Put("a.fb2", MakeFb2({}));
    Put("b.fb2", MakeFb2({}));
    Put("c.fb2", "not a book");
    MoveInto("out");
    List();
    Report report;
    pipeline->RunOperationsOnList(OP_MOVE, report);
    EXPECT_EQ(Files(), (Names{"c.fb2", "out/a.fb2", "out/b.fb2"}));
    ASSERT_EQ(globals.file_list.count(), 2);
    EXPECT_STREQ(globals.file_list.at(1).name.c_str(), "c.fb2");
    EXPECT_EQ(report.text(), W("c.fb2 не перемещен. В файле нет объявления кодировки."));
}

TEST_F(PipelineTest, InTreeModeBooksBelowTheFolderStayListed) {
    Put("sub/a.fb2", MakeFb2({}));
    Put("sub/deeper/b.fb2", MakeFb2({}));
    run.settings.text_packing = TEXT_NOT_PACKED;
    run.current_dir.assign(W(dir.path()).c_str());
    globals.file_list.ClearFileList();
    ScanDirectory(globals.file_list, run.current_dir.c_str(), SCAN_TREE, false, "*");
    globals.file_list.mode = LIST_MODE_TREE;
    globals.file_list.SortFileList();
    MoveInto("sub/moved");
    Report report;
    pipeline->RunOperationsOnList(OP_TOTEXT | OP_MOVE, report);
    EXPECT_STREQ(report.text(), "");
    EXPECT_EQ(Files(),
              (Names{"sub/a.txt", "sub/deeper/b.txt", "sub/moved/a.fb2", "sub/moved/b.fb2"}));
    // Every book and text file, each in its own folder, all below the listed one.
    std::vector<std::string> listed;
    for (std::int32_t i = 0; i < globals.file_list.count(); ++i) {
        const TFILEINF& e = globals.file_list.at(i);
        listed.push_back(cp1251_to_utf8(e.dir.c_str()).substr(dir.path().size()) + e.name.c_str());
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed,
              (Names{"sub/a.txt", "sub/deeper/b.txt", "sub/moved/a.fb2", "sub/moved/b.fb2"}));
}

// --- The window's actions -----------------------------------------------------------

TEST_F(PipelineTest, SelectingAnEntryReadsItAndProposesNameAndFolder) {
    Fb2Shape shape;
    shape.seq = "Серия";
    shape.seqnum = "2";
    Put("book.fb2", MakeFb2(shape));
    Select("book.fb2");
    Report report;
    EXPECT_EQ(pipeline->ReadSelected(report), 0u);
    EXPECT_STREQ(report.text(), "");
    EXPECT_EQ(pipeline->new_name(), W("Петров Иван - (Серия #2) Книга"));
    EXPECT_EQ(pipeline->target_dir().c_str(), W("~/books/Петров Иван"));
    EXPECT_EQ(pipeline->codepage_state(), CP_UTF8);
    EXPECT_NE(std::string(pipeline->info_text()).find(W("Книга")), std::string::npos);

    SetScript(globals.scripts.rename, "$filename = $x");
    SetScript(globals.scripts.move, "$dir = 1");
    EXPECT_EQ(pipeline->ReadSelected(report), 0u);
    EXPECT_EQ(report.text(), std::string(globals.scripts.rename.error_message()) + "\r\n\r\n" +
                                 globals.scripts.move.error_message());
    EXPECT_STREQ(pipeline->new_name(), "");
}

TEST_F(PipelineTest, WindowActionsReportTheirOwnMessages) {
    Put("book one.fb2", MakeFb2({}));
    Put("taken/book one.fb2", "x");
    Select("book one.fb2");
    Report report;
    EXPECT_FALSE(pipeline->MoveTo(Path("taken").c_str(), report));
    EXPECT_EQ(report.text(), W("\"book one.fb2\" не перемещен в каталог " + Path("taken") +
                               ". Файл с таким именем уже существует."));
    EXPECT_TRUE(pipeline->RenameTo(W("Новое имя").c_str(), report));
    EXPECT_EQ(pipeline->current().name.c_str(), W("Новое имя.fb2"));
    pipeline->StoreCurrent();
    EXPECT_TRUE(pipeline->Pack(report));
    EXPECT_TRUE(pipeline->Pack(report));                              // zipped now: nothing to do
    EXPECT_TRUE(pipeline->RenameTo(W("Новое имя").c_str(), report));  // the same name
    const std::string archive = Get("Новое имя.zip");
    EXPECT_TRUE(pipeline->RenameTo("Y", report));
    EXPECT_EQ(ReadZip(Get("Y.zip")).name, "Y.fb2");
    EXPECT_EQ(ReadZip(Get("Y.zip")).compressed, ReadZip(archive).compressed);
    EXPECT_TRUE(pipeline->MoveTo(Path("taken").c_str(), report));
    EXPECT_EQ(Files(), (Names{"taken/Y.zip", "taken/book one.fb2"}));
}

TEST_F(PipelineTest, ExtractingAZippedBookForAViewer) {
    const std::string book = MakeFb2({});
    Put("x.zip", MakeZip({"x.fb2", book}));
    Select("x.zip");
    EXPECT_FALSE(pipeline->Extract(Path("copy/x.fb2").c_str()));  // no such folder
    std::filesystem::create_directories(Path("copy"));
    EXPECT_TRUE(pipeline->Extract(Path("copy/x.fb2").c_str()));
    EXPECT_EQ(Get("copy/x.fb2"), book);
    platform::FileStatus status;
    ASSERT_TRUE(platform::GetFileStatus(Path("copy/x.fb2").c_str(), status));
    EXPECT_EQ(status.last_write_time, LocalTime(2008, 3, 15, 14, 30, 58));
    EXPECT_FALSE(pipeline->Extract(Path("copy/x.fb2").c_str()));  // never over a file
    EXPECT_EQ(pipeline->result_flags(), RES_EXTRACT);
}

}  // namespace
}  // namespace tomeo::test

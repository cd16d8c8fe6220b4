// Every Russian message text of the program, written here in UTF-8 and converted to
// Windows-1251 at compile time. In the formats, %1 stands for the file name and %2 for
// the target directory; a placeholder followed by a double quote quotes its argument
// when the argument holds a space.
#pragma once

#include "core/charset.h"

namespace tomeo::msg {

// Failures of file operations.
inline constexpr auto kRenameFailed = cp1251("%1\" не переименован.");
inline constexpr auto kMoveFailed = cp1251("%1\" не перемещен.");
inline constexpr auto kMoveFailedTo = cp1251("%1\" не перемещен в каталог %2\".");
inline constexpr auto kRecodeFailed = cp1251("%1\" не перекодирован.");
inline constexpr auto kConvertFailed = cp1251("%1\" не переконвертирован.");
inline constexpr auto kPackFailed = cp1251("%1\" не заархивирован.");

// Reasons appended to a failure (the leading space belongs to them).
inline constexpr auto kReasonBadUtf8 = cp1251(" Недопустимый код UTF8.");
inline constexpr auto kReasonNot1251 =
    cp1251(" Файл содержит символы, которые не могут быть представлены в кодировке WIN1251.");
inline constexpr auto kReasonUnknownTag = cp1251(" Неизвестный тег.");
inline constexpr auto kReasonBrokenStructure = cp1251(" Нарушена структура файла.");
// Why a target directory was refused: it could lead anywhere.
inline constexpr auto kReasonParentFolder = cp1251(" Путь к каталогу содержит \"..\".");

// A file an argument matched whose name has no Windows-1251 form (shown as on disk).
inline constexpr auto kNameNot1251 =
    cp1251("%1\" не обработан. Имя файла нельзя записать в кодировке WIN1251.");
// After kReasonUnknownTag: the tag (%1).
inline constexpr auto kReasonTagName = cp1251(" Тег: <%1>.");

// Reasons of failures that the result flags do not tell (FailReason in
// core/operations.h), appended to every failure message of the file. In
// kReasonUnknownEncoding %1 stands for the encoding's name.
inline constexpr auto kReasonNotFound = cp1251(" Файл не найден.");
inline constexpr auto kReasonSourceUnreadable = cp1251(" Файл не удалось прочитать.");
inline constexpr auto kReasonNoAccess = cp1251(" Нет доступа.");
inline constexpr auto kReasonNoSpace = cp1251(" Недостаточно места на диске.");
inline constexpr auto kReasonDescription = cp1251(" Не удалось прочитать описание книги.");
inline constexpr auto kReasonNoEncoding = cp1251(" В файле нет объявления кодировки.");
inline constexpr auto kReasonUnknownEncoding = cp1251(" Неизвестная кодировка %1\".");
inline constexpr auto kReasonEmptyName = cp1251(" Новое имя пустое.");
inline constexpr auto kReasonUnusableName = cp1251(" Новое имя недопустимо.");
inline constexpr auto kReasonEmptyDirectory = cp1251(" Каталог не задан.");
inline constexpr auto kReasonNameTaken = cp1251(" Файл с таким именем уже существует.");
inline constexpr auto kReasonNameNotAllowed = cp1251(" Такое имя файла нельзя использовать.");
inline constexpr auto kReasonSourceChanged = cp1251(" Файл изменился во время обработки.");
inline constexpr auto kReasonTextNameTaken = cp1251(" Имя текстового файла занято другим файлом.");

// Labels of the information text shown for the selected book.
inline constexpr auto kInfoAuthor = cp1251("Автор: ");
inline constexpr auto kInfoTitle = cp1251("Название: ");
inline constexpr auto kInfoGenre = cp1251("Жанр: ");
inline constexpr auto kInfoSeries = cp1251("Серия: ");

// The program as a whole.
inline constexpr auto kInvalidCommandLine = cp1251("Недопустимые параметры командной строки.");
inline constexpr auto kNoWorkingDirectory = cp1251(
    "Рабочий каталог удален или его имя нельзя записать в кодировке WIN1251; укажите файлы "
    "полным путем.");
inline constexpr auto kNoWindowInThisBuild = cp1251(
    "Окно в этой сборке Tomeo недоступно; операции над книгами задаются ключами командной "
    "строки (tomeo -r ФАЙЛ ...).");

// The window.
inline constexpr auto kChooseMoveFolder = cp1251("Выбирите каталог в который переместить файл");
inline constexpr auto kBatchStopped = cp1251("Обработка прервана: не обработано книг: %1.");
inline constexpr auto kNoDisplay = cp1251(
    "Окно Tomeo не открыть: нет графического экрана (переменные DISPLAY и WAYLAND_DISPLAY "
    "пусты); операции над книгами задаются ключами командной строки (tomeo -r ФАЙЛ ...).");

// Script errors: a start, a detail that begins with its own comma, and for an error on a
// line kScriptErrorLine, the line number and ")."
inline constexpr auto kScriptError = cp1251("Ошибка в скрипте");
inline constexpr auto kScriptRunError = cp1251("Ошибка выполнения скрипта");
inline constexpr auto kScriptSyntaxDetail = cp1251(", недопустимый синтаксис");
inline constexpr auto kScriptUndefinedDetail = cp1251(", переменная не определена");
inline constexpr auto kScriptTypeDetail = cp1251(", несоответствие типов");
inline constexpr auto kScriptBracesDetail = cp1251(", нарушена структура '{' и '}'");
inline constexpr auto kScriptFunctionDetail = cp1251(", неизвестная функция");
inline constexpr auto kScriptProcedureDetail = cp1251(", неизвестная процедура");
inline constexpr auto kScriptErrorLine = cp1251(" (строка ");

// The usage text of tomeo --help (lines end with a line feed; at most 79 columns).
inline constexpr auto kUsage = cp1251(
    "Использование:\n"
    "  tomeo -КЛЮЧИ [--] ФАЙЛ [ФАЙЛ ...]  операции над книгами, без окна\n"
    "  tomeo [[--] ФАЙЛ]                  окно со списком книг каталога ФАЙЛА\n"
    "  tomeo --help | -h                  эта справка\n"
    "  tomeo --version                    название и версия\n"
    "\n"
    "КЛЮЧИ — одна или несколько строчных букв после одного знака «-»:\n"
    "  r  переименовать файл по книге (имя вычисляет скрипт rename.sc)\n"
    "  m  переместить файл в каталог, который вычисляет скрипт move.sc\n"
    "  z  упаковать файл в zip-архив\n"
    "  u  перекодировать FB2 или текст из UTF-8 в WIN1251\n"
    "  t  сделать из FB2 текстовый файл (заголовок пишет скрипт txthdr.sc)\n"
    "  d  перекодировать текст из DOS (866) в WIN1251\n"
    "\n"
    "ФАЙЛ — книга .txt, .fb2 или .rtf, отдельно или в zip-архиве. В последней\n"
    "части имени можно указать * и ?; шаблон берут в кавычки, чтобы его не\n"
    "раскрыла оболочка: tomeo -r '*.fb2'. Каталог означает все книги в нём\n"
    "(без подкаталогов). После «--» каждый аргумент — файл, даже если он\n"
    "начинается с «-».\n"
    "\n"
    "Скрипты rename.sc, move.sc, txthdr.sc и настройки settings.ini хранятся\n"
    "в $XDG_CONFIG_HOME/tomeo/, по умолчанию в ~/.config/tomeo/.\n"
    "\n"
    "Код завершения: 0 — всё выполнено; 1 — неверная командная строка или\n"
    "хотя бы одна операция не удалась (о каждой сказано в сообщении).\n"
    "\n"
    "Подробнее: man tomeo\n");

// The progress of a batch on a terminal: the line redrawn for every book, and the
// summary line at the end (%1 and %2 are numbers).
inline constexpr auto kProgress = cp1251("обработано %1 из %2: ");
inline constexpr auto kSummary = cp1251("Обработано книг: %1, с ошибками: %2.");
inline constexpr auto kSummaryNotFound = cp1251(" Не найдено: %1.");

// A script file that is there but cannot be used: kScriptFile, the file's path, then one
// of the two ends. Every operation that needs the script fails with it.
inline constexpr auto kScriptFile = cp1251("Файл скрипта ");
inline constexpr auto kScriptFileUnreadable = cp1251(" не удалось прочитать.");
inline constexpr auto kScriptFileTooLarge = cp1251(" больше 16 МБ.");

// The file manager's "Open with" entry for books (a no-break space between the words).
inline constexpr auto kContextMenuName = cp1251("Утилита\u00A0Tomeo");

}  // namespace tomeo::msg

// Every Russian message text of the program, written here in UTF-8 and converted to
// Windows-1251 at compile time. In the formats, %1 stands for the file name and %2 for
// the target directory; a placeholder followed by a double quote quotes its argument
// when the argument holds a space.
#pragma once

#include "convert/charset.h"

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
// After kReasonUnknownTag: the tag (%1).
inline constexpr auto kReasonTagName = cp1251(" Тег: <%1>.");

// Reasons of failures that the result flags do not tell (FailReason in
// batch/operations.h), appended to every failure message of the file. In
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
inline constexpr auto kNoWindowInThisBuild = cp1251(
    "Окно в этой сборке Tomeo недоступно; операции над книгами задаются ключами командной "
    "строки (tomeo -r ФАЙЛ ...).");

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

}  // namespace tomeo::msg

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
// Why a target directory was refused: it could lead anywhere.
inline constexpr auto kReasonParentFolder = cp1251(" Путь к каталогу содержит \"..\".");

// A file an argument matched whose name has no Windows-1251 form (shown as on disk).
inline constexpr auto kNameNot1251 =
    cp1251("%1\" не обработан. Имя файла нельзя записать в кодировке WIN1251.");

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

// Every caption of the settings sheet "Настройки", in one place (UTF-8; Qt takes them as
// they are).
#pragma once

namespace tomeo::caption {

inline constexpr char kSettingsTitle[] = "Настройки";
inline constexpr char kSettingsOk[] = "OK";
inline constexpr char kSettingsCancel[] = "Отмена";

// The pages in their order.
inline constexpr const char* kSettingsPages[] = {
    "Общие", "Открыть", "Переименовать", "Переместить", "FB2->TXT", "FB2->TXT (2)",
};

// "Общие": the operation after which the window goes on to the next file, per kind (a
// group title and the line under it), the subdirectory box, the context-menu entries.
inline constexpr char kNextTextTitle[] = "Операция над текстовым файлом после";
inline constexpr char kNextFb2Title[] = "Операция над fb2 файлом после";
inline constexpr char kNextRtfTitle[] = "Операция над rtf файлом после";
inline constexpr char kNextSecondLine[] = "которой переходить к следующему файлу";
inline constexpr char kNextRename[] = "переименовать";
inline constexpr char kNextPack[] = "архивировать";
inline constexpr char kNextDosToWin[] = "перекодировать DOS->WIN";
inline constexpr char kNextUtf8ToWin[] = "перекодировать UTF8->WIN";
inline constexpr char kNextToText[] = "переконвертировать FB2->TXT";
inline constexpr char kSubdirectories[] = "выводить файлы из подкаталогов (Ctrl-R)";
inline constexpr char kSubdirectoriesNote[] = "(режим сбрасывается при смене каталога)";
inline constexpr char kMenuTitle[] = "Добавить пункт меню";
inline constexpr char kMenuLines[] = "вызова программы\nв контекстное меню файлов";
inline constexpr char kMenuTxt[] = "txt";
inline constexpr char kMenuFb2[] = "fb2";
inline constexpr char kMenuRtf[] = "rtf";

// "Открыть"
inline constexpr char kViewersTitle[] = "Использовать программу для открытия";
inline constexpr char kViewerTxt[] = "текстовых файлов";
inline constexpr char kViewerFb2[] = "файлов fb2";
inline constexpr char kViewerRtf[] = "файлов rtf";
inline constexpr char kBrowse[] = "=";
inline constexpr char kProgramDialogTitle[] = "Выбор программы";
inline constexpr char kProgramFilter[] = "Программы (*)";

// The script pages.
inline constexpr char kRenameScriptLabel[] = "Скрипт определяющий имя файла";
inline constexpr char kMoveScriptLabel[] = "Скрипт определяющий каталога файла";
inline constexpr char kHeaderScriptLabel[] = "Скрипт определяющий заголовок файла";

// "FB2->TXT"
inline constexpr char kTextFormatTitle[] = "Формат текстового файла";
inline constexpr char kOneLine[] = "параграф на одной строке";
inline constexpr char kSeveralLines[] = "параграф на нескольких строках";
inline constexpr char kSeveralLinesNote[] = "(в начале параграфа обязателен отступ из пробелов)";
inline constexpr char kIndentLabel[] = "Кол-во пробелов в начале параграфа";
inline constexpr char kTextPackingTitle[] = "Создавать текстовый файл";
inline constexpr char kNotPacked[] = "незаархивированный";
inline constexpr char kInZip[] = "в zip архиве";
inline constexpr char kAsSource[] = "в том же виде как исходный fb2 файл";
inline constexpr char kTextDirLabel[] = "Каталог для текстовых файлов";
inline constexpr char kTextDirDialogTitle[] = "Каталог для текстовых файлов:";

}  // namespace tomeo::caption

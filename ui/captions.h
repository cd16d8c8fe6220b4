// Every caption the window shows, in one place (UTF-8; Qt takes them as they are). The
// program's own texts (messages, proposals, the book panel) are Windows-1251 and reach
// Qt through qt_text.h.
#pragma once

namespace tomeo::caption {

// The main window.
inline constexpr char kTitle[] = "Tomeo";
inline constexpr char kMenuFiles[] = "Файлы";
inline constexpr char kMenuSettings[] = "Настройки";
inline constexpr char kMenuHelp[] = "?";
inline constexpr char kMenuExit[] = "Выход";
inline constexpr char kOpen[] = "Открыть";
inline constexpr char kPack[] = "Архивировать";
inline constexpr char kDosToWin[] = "DOS->WIN";
inline constexpr char kUtf8ToWin[] = "UTF8->WIN";
inline constexpr char kFb2ToTxt[] = "FB2->TXT";
inline constexpr char kRename[] = "Переименовать";
inline constexpr char kMove[] = "Переместить";
inline constexpr char kNameLabel[] = "Имя файла";
inline constexpr char kDirLabel[] = "Каталог";
inline constexpr char kExtension[] = ".txt";  // until a book is selected

// The columns of the file list.
inline constexpr const char* kColumns[] = {"Файл", "Размер", "Сж. размер", "Изменен", "Каталог"};

// Qt's file dialogs: the type of a folder (Qt's Russian translation lacks it).
inline constexpr char kFolderType[] = "Папка";

// The message window.
inline constexpr char kMessageTitle[] = "Сообщение";
inline constexpr char kMessageOk[] = "OK";

// The batch dialog.
inline constexpr char kBatchTitle[] = "Файлы";
inline constexpr char kBatchFrame[] = "Выполнить для всех файлов в текущем каталоге:";
inline constexpr char kBatchRename[] = "переименовать";
inline constexpr char kBatchMove[] = "переместить";
inline constexpr char kBatchPack[] = "архивировать";
inline constexpr char kBatchDos[] = "перекодировать DOS->WIN";
inline constexpr char kBatchUtf8[] = "перекодировать UTF8->WIN";
inline constexpr char kBatchToText[] = "переконвертировать FB2->TXT";
inline constexpr char kBatchOk[] = "Ok";
inline constexpr char kCancel[] = "Отмена";

// The progress of a batch run: "N из M".
inline constexpr char kProgressCount[] = "%1 из %2";

}  // namespace tomeo::caption

// The five column texts of a list row ("Файл", "Размер", "Сж. размер", "Изменен",
// "Каталог"), Windows-1251: sizes grouped by threes with a space, the time as
// "дд:мм:гггг чч:мм", the directory without its trailing separator. Directory, ".." and
// drive rows show the name only.
#pragma once

#include <array>
#include <string>

#include "batch/file_list.h"

namespace tomeo {

inline constexpr int kListColumns = 5;

std::array<std::string, kListColumns> RowTexts(const TFILEINF& entry);

}  // namespace tomeo

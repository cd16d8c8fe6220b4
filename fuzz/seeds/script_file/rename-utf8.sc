// Фамилия Имя - Название книги
// Фамилия Имя, Фамилия Имя - (Серия #номер) Название книги
// Название книги (если авторов нет)
$i = 1
while ($i <= $authorno) {
    $last = author($i, "l")
    $first = author($i, "f")
    $name = $last
    if ($first <> "") {
        if ($last <> "") $name = $name + " "
        $name = $name + $first
    }
    if ($filename <> "") $filename = $filename + ", "
    $filename = $filename + $name
    $i = $i + 1
}
if ($filename <> "") $filename = $filename + " - "
if ($seq <> "") {
    $filename = $filename + "("
    $filename = $filename + $seq
    if ($seqnum <> "") {
        $filename = $filename + " #"
        $filename = $filename + $seqnum
    }
    $filename = $filename + ") "
}
$filename = $filename + $title
// Символы, которые не может содержать имя файла, заменяются на "_"
$filename = repl($filename, "\\", "_")
$filename = repl($filename, "/", "_")
$filename = repl($filename, ":", "_")
$filename = repl($filename, "*", "_")
$filename = repl($filename, "?", "_")
$filename = repl($filename, "\"", "_")
$filename = repl($filename, "<", "_")
$filename = repl($filename, ">", "_")
$filename = repl($filename, "|", "_")

// Заголовок текстового файла: авторы, название книги (серия #номер)
// и аннотация, если она есть
$str_t = ""
$i = 1
while ($i <= $authorno) {
    $first = author($i, "f")
    $last = author($i, "l")
    $name = $first
    if ($last <> "") {
        if ($first <> "") $name = $name + " "
        $name = $name + $last
    }
    if ($str_t <> "") $str_t = $str_t + ", "
    $str_t = $str_t + $name
    $i = $i + 1
}
printp($str_t)
$str_t = $title
if ($seq <> "") {
    $str_t = $str_t + " ("
    $str_t = $str_t + $seq
    if ($seqnum <> "") {
        $str_t = $str_t + " #"
        $str_t = $str_t + $seqnum
    }
    $str_t = $str_t + ")"
}
printp($str_t)
if ($isannt <> 0) {
    printp("")
    printannt()
}

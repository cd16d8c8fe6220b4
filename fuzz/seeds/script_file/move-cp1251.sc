// Каталог книги: ~/books/Фамилия Имя
// Для нескольких авторов: ~/books/Фамилия Имя, Фамилия Имя
$dir = "~/books/"
$i = 1
while ($i <= $authorno) {
    if ($i > 1) $dir = $dir + ", "
    $last = author($i, "l")
    $first = author($i, "f")
    $name = $last
    if ($first <> "") {
        if ($last <> "") $name = $name + " "
        $name = $name + $first
    }
    $dir = $dir + $name
    $i = $i + 1
}

// The language as a user meets it: small scripts and what they give. A new case is one
// line of a table: the script (lines ended by "\n"; UTF-8 here, Windows-1251 when run),
// then the variable and its expected value, or the error code and line.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "tests/script/script_fixture.h"

namespace tomeo::test {
namespace {

struct ValueCase {
    const char* script;
    const char* variable;
    std::variant<const char*, int> expected;  // a string or an integer variable
};

// The book of BoundScript: authors First Middle Last and First2 "" Last2, genres sf and
// detective (matches 100 and 50), series "Series" #3, title "Title", an annotation.
const ValueCase kValueCases[] = {
    // Assignment forms and operands.
    {"$a=5", "$a", 5},
    {"$a = 5-3", "$a", 2},
    {"$i = 1\n$i = $i - -1", "$i", 2},
    {"$i = 10\n$i = $i --1", "$i", 11},
    {"$a = -7", "$a", -7},
    {"$a = 2147483647 + 1", "$a", -2147483647 - 1},
    {"$a = 4294967297", "$a", 1},
    {"$a = \"x\" + 'y'", "$a", "xy"},
    {"$a = $title + $seq", "$a", "TitleSeries"},
    {"$ = 1\n$a = $", "$a", 1},
    {"$a_1 = 2\n$b = $a_1", "$b", 2},
    {"$a = 1\n$A = 2", "$a", 1},
    // Quoting and escapes.
    {"$a = 'x\"", "$a", "x"},
    {"$a = \"it\\'s\"", "$a", "it's"},
    {"$a = \"say \\\"hi\\\"\"", "$a", "say \"hi\""},
    {"$a = 'a\\\\b'", "$a", "a\\b"},
    {"$a = \"\"", "$a", ""},
    {"$a = \"  //  \"", "$a", "  //  "},
    {"$a = \"a(b),c\"", "$a", "a(b),c"},
    {"$a = \"\tx\"", "$a", "\tx"},
    // Line ends, comments, spaces.
    {"$a = 1\r\n$a = 2", "$a", 2},
    {"$a = 1\r$a = 2", "$a", 2},
    {"$a = 1\n$a = 2", "$a", 2},
    {"$a = 1\n\r$a = 2", "$a", 2},
    {"// $a = 2\n$a = 1\n   // indented comment", "$a", 1},
    {"   $a   =   3   ", "$a", 3},
    {"$a = 1\n\n\n", "$a", 1},
    // Calls.
    {"$a = LEN(\"abc\")", "$a", 3},
    {"$a = len(  \"abc\"  )", "$a", 3},
    {"$a = left(\"abc\", 2,)", "$a", "ab"},
    {"$a = repl(\"a,b\" , \",\",\";\")", "$a", "a;b"},
    // If: one statement, block, nesting, false branches parsed only.
    {"$a = 0\nif (1 = 1) $a = 1", "$a", 1},
    {"$a = 0\nIF(1=1) $a = 1", "$a", 1},
    {"$a = 0\nif ($authorno = 2) {\n$a = 1\n}", "$a", 1},
    {"$a = 0\nif (1 = 2)\n$a = 1\n}", "$a", 0},
    {"$a = 0\nif (1 = 1)\n$a = 1\n}", "$a", 1},
    {"$a = 0\nif (1 = 2) $a = $nowhere", "$a", 0},
    {"$a = 0\nif (1 = 2) {\nif ($nowhere = 1) {\n$a = $nowhere\n}\n$a = 2\n}", "$a", 0},
    {"$a = 0\nif (1 = 2) {\nwhile (1 = 1) {\n$a = 5\n}\n}", "$a", 0},
    {"$a = 0\nif (1 = 1) {\nif (1 = 2) {\n$a = 1\n}\n$a = $a + 2\n}\n$a = $a + 4", "$a", 6},
    {"$a = 0\nif (1 = 2) printp($nowhere)", "$a", 0},
    // Conditions.
    {"$a = 0\nif (2 > 1) $a = 1", "$a", 1},
    {"$a = 0\nif (-1 < 0) $a = 1", "$a", 1},
    {"$a = 0\nif (1 >= 1) $a = 1", "$a", 1},
    {"$a = 0\nif (2 <= 1) $a = 1", "$a", 0},
    {"$a = 0\nif (1 <> 1) $a = 1", "$a", 0},
    {"$a = 0\nif (\"a\" = \"A\") $a = 1", "$a", 0},
    {"$a = 0\nif (\"a\" <> \"A\") $a = 1", "$a", 1},
    {"$a = 0\nif ($seq   =   \"Series\"  ) $a = 1", "$a", 1},
    // While.
    {"$i = 0\nwhile ($i < 3) {\n$i = $i + 1\n}", "$i", 3},
    {"$s = \"\"\n$i = 0\nwhile ($i < 3) {\n$i = $i + 1\n$c = cstr($i)\n$s = $s + $c\n}", "$s",
     "123"},
    {"$n = 0\n$i = 0\nwhile ($i < 3) {\n$j = 0\n$i = $i + 1\nwhile ($j < 3) {\n"
     "$j = $j + 1\n$n = $n + 1\n}\n}",
     "$n", 9},
    {"$n = 0\n$i = 1\nwhile ($i <= $genreno) {\n$n = $n + $i\n$i = $i + 1\n}", "$n", 3},
    {"$a = 0\nwhile (1 = 2) {\n$a = $nowhere\n}\n$a = 1", "$a", 1},
    {"$a = 0\nWHILE(1=2){\n}", "$a", 0},
    // author, genre, genrematch.
    {"$a = author(1, \"f\")", "$a", "First"},
    {"$a = author(1, 'M')", "$a", "Middle"},
    {"$a = author(1, \"L\")", "$a", "Last"},
    {"$a = author(2, \"m\")", "$a", ""},
    {"$a = author(2, \"l\")", "$a", "Last2"},
    {"$a = genre(1)", "$a", "sf"},
    {"$a = genre(2)", "$a", "detective"},
    {"$a = genrematch(1)", "$a", "100"},
    // String functions.
    {"$a = repl(\"aaaa\", \"aa\", \"a\")", "$a", "aa"},
    {"$a = repl(\"abc\", \"\", \"x\")", "$a", "abc"},
    {"$a = repl(\"a:b\", \":\", \"::\")", "$a", "a::b"},
    {"$a = repl(\"abc\", \"x\", \"y\")", "$a", "abc"},
    {"$a = ltrim(\"  a  \")", "$a", "a  "},
    {"$a = rtrim(\"  a  \")", "$a", "  a"},
    {"$a = trim(\"  a  \")", "$a", "a"},
    {"$a = trim(\"\ta \")", "$a", "\ta"},
    {"$a = left(\"abc\", 10)", "$a", "abc"},
    {"$a = left(\"abc\", 2)", "$a", "ab"},
    {"$a = left(\"abc\", 0)", "$a", ""},
    {"$a = left(\"abc\", -1)", "$a", ""},
    {"$a = mid(\"abcdef\", 3, 2)", "$a", "cd"},
    {"$a = mid(\"abc\", 5, 1)", "$a", ""},
    {"$a = mid(\"abc\", 4, 1)", "$a", ""},
    {"$a = mid(\"abc\", 2, 10)", "$a", "bc"},
    {"$a = mid(\"abc\", 0, 2)", "$a", ""},
    {"$a = mid(\"abc\", -1, 2)", "$a", ""},
    {"$a = mid(\"abc\", 1, -1)", "$a", ""},
    {"$a = mid(\"abc\", 1, 0)", "$a", ""},
    {"$a = lower(\"ABC Абв ЁЯ\")", "$a", "abc абв ёя"},
    {"$a = upper(\"abc Абв ёя\")", "$a", "ABC АБВ ЁЯ"},
    {"$a = len(\"\")", "$a", 0},
    {"$a = len(\"abc\")", "$a", 3},
    {"$a = len(\"Ёж\")", "$a", 2},
    {"$a = cstr(-5)", "$a", "-5"},
    {"$a = cstr(2147483647)", "$a", "2147483647"},
};

TEST(ScriptLanguage, ValueCases) {
    BoundScript bound;
    for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(c.script);
        ASSERT_EQ(bound.run(Cp(c.script)), "");
        if (const int* expected = std::get_if<int>(&c.expected)) {
            EXPECT_EQ(bound.script.get_integer(c.variable), *expected);
        } else {
            EXPECT_EQ(bound.script.get_string(c.variable), Cp(std::get<const char*>(c.expected)));
        }
    }
}

struct ErrorCase {
    const char* script;
    int code;
    int line;  // 0: the error has no line
};

const ErrorCase kErrorCases[] = {
    // 1: syntax.
    {"$a == 5", 1, 1},
    {"$a = 5 * 2", 1, 1},
    {"$a = 5 / 2", 1, 1},
    {"$a = 1 +", 1, 1},
    {"$a = 1 + 2 + 3", 1, 1},
    {"$a = 1 // comment", 1, 1},
    {"$a", 1, 1},
    {"$a =", 1, 1},
    {"$a = -", 1, 1},
    {"$a = \"x'y\"", 1, 1},
    {"$a = \"a\\nb\"", 1, 1},
    {"$a = \"abc", 1, 1},
    {"$a = 'abc\\'", 1, 1},
    {"$a = len(len(\"a\"))", 1, 1},
    {"$a = len(\"a\") + 1", 1, 1},
    {"$a = len(\"a\" \"b\")", 1, 1},
    {"$a = len(,)", 1, 1},
    {"$a = len(\"a\",,)", 1, 1},
    {"$a = len()", 1, 1},
    {"$a = len(1, 2)", 1, 1},
    {"$a = nothing(1, 2, 3, 4)", 1, 1},  // arguments are checked before the name
    {"$a = len", 1, 1},
    {"$a = len(\"a\"", 1, 1},
    {"$a = \"x\" - \"y\"", 1, 1},
    {"\t$a = 1", 1, 1},
    {"{", 1, 1},
    {"} else {", 1, 1},
    {"printp(\"a\") x", 1, 1},
    {"printannt(1)", 1, 1},
    {"printp()", 1, 1},
    {"if (1 = 1", 1, 1},
    {"if ( 1 = 1) $a = 1", 1, 1},
    {"if (1 == 1) $a = 1", 1, 1},
    {"if (1 != 1) $a = 1", 1, 1},
    {"if (1 = ) $a = 1", 1, 1},
    {"if 1 = 1 $a = 1", 1, 1},
    {"ifx(1 = 1) $a = 1", 1, 1},
    {"if (1 = 1) { $a = 1", 1, 1},
    {"if (1 = 1) }", 1, 1},
    {"if (1 = 1) while (1 = 2) {", 1, 1},
    {"while (1 = 2)", 1, 1},
    {"while (1 = 2) { $a = 1", 1, 1},
    {"while (1 = 2) {\n}\n$a = 1\nwhile ($a < 2) x", 1, 4},
    {"if (1 = 2) {\n$a == 1\n}", 1, 2},
    {"$a = 1\n$b = 2\r$c = 3\r\n$a = $a $b", 1, 4},
    {"$a = 1 $b = 2", 1, 1},
    // 2: a variable read before it exists (when the line runs).
    {"$a = $b", 2, 1},
    {"$a = len($b)", 2, 1},
    {"if ($b = 1) $a = 1", 2, 1},
    {"$a = 1\n$b = $A", 2, 2},
    {"if (1 = 2) $a = 1\n$b = $a", 2, 2},
    {"// one\r\n\r\n   \r\n$a = $b", 2, 4},
    {"printp($nothing)", 2, 1},
    // 3: types.
    {"$a = \"x\"\n$a = 1", 3, 2},
    {"$a = 1\n$a = \"1\"", 3, 2},
    {"$a = 1\n$a = cstr(1)", 3, 2},
    {"$a = genrematch(1)\n$b = $a + 1", 3, 2},
    {"$a = 1 + \"x\"", 3, 1},
    {"$a = $title - 1", 3, 1},
    {"$a = len(5)", 3, 1},
    {"$a = left(\"abc\", \"1\")", 3, 1},
    {"$a = author(1, 1)", 3, 1},
    {"$a = cstr(\"1\")", 3, 1},
    {"if (1 = \"1\") $a = 1", 3, 1},
    {"if (\"a\" > \"b\") $a = 1", 3, 1},
    {"if (\"a\" <= \"b\") $a = 1", 3, 1},
    {"printp(1)", 3, 1},
    {"$authorno = \"x\"", 3, 1},
    // 4: bad index or field, procedures, runaway loops.
    {"$a = author(0, \"f\")", 4, 1},
    {"$a = author(3, \"f\")", 4, 1},
    {"$a = author(-2147483648, \"f\")", 4, 1},
    {"$a = author(1, \"x\")", 4, 1},
    {"$a = author(1, \"fm\")", 4, 1},
    {"$a = author(1, \"\")", 4, 1},
    {"$a = genre(0)", 4, 1},
    {"$a = genre(3)", 4, 1},
    {"$a = genrematch(3)", 4, 1},
    {"$_printp_str_ = \"9\"\nprintp(\"x\")", 4, 2},
    {"$_printp_str_ = \"0\"\nprintp(\"x\")", 4, 2},
    {"$_printp_str_ = \"1x\"\nprintp(\"x\")", 4, 2},
    {"$_printp_str_ = \"\"\nprintp(\"x\")", 4, 2},
    {"$_printannt_str_ = \"-1\"\nprintannt()", 4, 2},
    {"$_printannt_str_ = \"99999999999999999999\"\nprintannt()", 4, 2},
    {"while (1 = 1) {\n}", 4, 1},                       // the budget of these tests is 1000
    {"$i = 0\nwhile (1 = 1) {\n$i = $i + 1\n}", 4, 2},  // statement 1001 is the while
    // 5: braces.
    {"}", 5, 1},
    {"$a = 1\nif (1 = 1) {\n}\n}", 5, 4},
    {"if (1 = 1) {\n$a = 1", 5, 0},
    {"if (1 = 2) {\nif (1 = 1) {\n}", 5, 0},
    {"while (1 = 2) {", 5, 0},
    {"$a = 1\nif (1 = 1)", 5, 0},
    // 6 and 7: unknown names.
    {"$a = nothing(1)", 6, 1},
    {"$a = len (\"a\")", 6, 1},
    {"$a = printp(\"x\")", 6, 1},
    {"$a = nothing()", 6, 1},
    {"if (1 = 2) {\n$a = nothing()\n}", 6, 2},
    {"nothing()", 7, 1},
    {"len(\"a\")", 7, 1},
    {"if (1 = 1) author(1, \"f\")", 7, 1},
    {"if (1 = 1) if()", 7, 1},
    {"PRINTX()", 7, 1},
    // The while line is read again under its own number, so a body error keeps its line.
    {"$i = 0\nwhile ($i < 3) {\n$i = $i + 1\nif ($i = 2) $x = $nothing\n}", 2, 4},
    {"$i = 0\nwhile ($i < 3) {\n$i = $i + 1\n}\nwhile ($i < $title) {\n}", 3, 5},
};

std::string ExpectedMessage(int code, int line) {
    const char* texts[] = {
        "",
        "Ошибка в скрипте, недопустимый синтаксис",
        "Ошибка выполнения скрипта, переменная не определена",
        "Ошибка выполнения скрипта, несоответствие типов",
        "Ошибка выполнения скрипта",
        "Ошибка в скрипте, нарушена структура '{' и '}'",
        "Ошибка в скрипте, неизвестная функция",
        "Ошибка в скрипте, неизвестная процедура",
    };
    std::string message = texts[code];
    if (line != 0) message += " (строка " + std::to_string(line) + ").";
    return Cp(message);
}

TEST(ScriptLanguage, ErrorCases) {
    BoundScript bound;
    bound.script.set_statement_budget(1000);
    for (const ErrorCase& c : kErrorCases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(bound.run(Cp(c.script)), ExpectedMessage(c.code, c.line));
        EXPECT_EQ(bound.script.error_code(), c.code);
        EXPECT_EQ(bound.script.error_line(), c.line);
    }
}

TEST(ScriptLanguage, MessagesOfTheKnownForms) {
    BoundScript bound;
    std::string script(11, '\n');
    EXPECT_EQ(bound.run(script + "$a == 1"),
              Cp("Ошибка в скрипте, недопустимый синтаксис (строка 12)."));
    EXPECT_EQ(bound.run("\n\nprintannt(1, 2)x"),
              Cp("Ошибка в скрипте, недопустимый синтаксис (строка 3)."));
    EXPECT_EQ(bound.run("\n\n$a = author(9, \"f\")"), Cp("Ошибка выполнения скрипта (строка 3)."));
    EXPECT_EQ(bound.run("if (1 = 1) {"), Cp("Ошибка в скрипте, нарушена структура '{' и '}'"));
}

TEST(ScriptLanguage, ExecutedStatementsKeepTheirEffectsAfterAnError) {
    BoundScript bound;
    EXPECT_NE(bound.run("$a = 1\n$a = $a + 1\n$b = $nothing\n$a = 10"), "");
    EXPECT_EQ(bound.script.get_integer("$a"), 2);
}

}  // namespace
}  // namespace tomeo::test

// The engine as the host uses it: variables in and out, host procedures, errors outside
// a run, guards against runaway scripts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/script/script_fixture.h"

namespace tomeo::test {
namespace {

std::string RunText(SCRIPT& script, const char* text) {
    script.set_text(text);
    try {
        script.Run();
    } catch (const SCRIPTError&) {
        return script.error_message();
    }
    return {};
}

using Lines = std::vector<std::string>;

TEST(ScriptProcedures, PrintInOrderOnlyWhenExecuted) {
    BoundScript bound;
    ASSERT_EQ(bound.run("printp(\"one\")\nif (1 = 2) printp(\"no\")\nif (1 = 2) {\n"
                        "printannt()\n}\nPrintAnnt()\nprintp($title)\nprintp('')"),
              "");
    EXPECT_EQ(bound.printed, (Lines{"one", "<annotation>", "Title", ""}));
}

TEST(ScriptProcedures, TheBindingVariableChoosesTheHandler) {
    BoundScript bound;
    ASSERT_EQ(bound.run("$_printp_str_ = \"2\"\nprintp(\"x\")\n$_printannt_str_ = \"01\"\n"
                        "printannt()"),
              "");
    EXPECT_EQ(bound.printed, (Lines{"<annotation>x", ""}));
}

TEST(ScriptProcedures, AFailedHandlerOrABrokenBindingIsError4) {
    const std::string error4 = Cp("Ошибка выполнения скрипта (строка 2).");
    BoundScript bound;
    bound.printp.succeed = false;
    EXPECT_EQ(bound.run("printannt()\nprintp(\"x\")"), error4);
    EXPECT_EQ(bound.printed, (Lines{"<annotation>", "x"}));
    bound.printp.succeed = true;

    // The host left the binding out, or the script made it a number.
    SCRIPT script;
    script.add_handler(bound.printp);
    EXPECT_EQ(RunText(script, "\nprintp(\"x\")"), error4);
    EXPECT_EQ(RunText(script, "$_printp_str_ = 1\nprintp(\"x\")"), error4);

    // A handler taken out of the table no longer answers to its reference.
    bound.script.remove_handler(2);
    EXPECT_EQ(bound.run("printp(\"x\")\nprintannt()"), error4);
    EXPECT_EQ(bound.printed, Lines{"x"});
}

TEST(ScriptProcedures, HandlerTableHasEightSlots) {
    SCRIPT script;
    std::vector<std::string> log;
    RecordingHandler handler(log);
    for (std::uint32_t i = 1; i <= SCRIPT::kMaxHandlers; ++i) {
        EXPECT_EQ(script.add_handler(handler), i);
    }
    EXPECT_EQ(script.add_handler(handler), 0u);
    script.remove_handler(3);
    script.remove_handler(0);   // names nothing: ignored
    script.remove_handler(99);  // likewise
    EXPECT_EQ(script.add_handler(handler), 3u);
}

TEST(ScriptVariables, ReadingOutsideARunRaisesWithoutLineOrMessage) {
    SCRIPT script;
    script.define_string("$s", "text");
    script.define_integer("$n", 7);
    script.define_string("$s", "second");  // not checked: the first one is found
    EXPECT_STREQ(script.get_string("$s"), "text");
    EXPECT_EQ(script.get_integer("$n"), 7);

    try {
        script.get_string("$missing");
        FAIL();
    } catch (const SCRIPTError& error) {
        EXPECT_EQ(error.code(), kScriptUndefinedVariable);
    }
    EXPECT_EQ(script.error_code(), kScriptUndefinedVariable);
    EXPECT_EQ(script.error_line(), 0);
    EXPECT_STREQ(script.error_message(), "");
    EXPECT_THROW(script.get_integer("$s"), SCRIPTError);
    EXPECT_EQ(script.error_code(), kScriptTypeMismatch);
    EXPECT_THROW(script.get_string("$n"), SCRIPTError);
    EXPECT_EQ(script.error_code(), kScriptTypeMismatch);
    EXPECT_THROW(script.get_string("$S"), SCRIPTError) << "names are case-sensitive";

    // A successful run clears the error.
    EXPECT_EQ(RunText(script, "$n = $n + 1"), "");
    EXPECT_EQ(script.error_code(), kScriptNoError);
    EXPECT_STREQ(script.error_message(), "");
}

TEST(ScriptVariables, PersistBetweenRunsUntilCleared) {
    SCRIPT script;
    script.define_integer("$n", 1);
    EXPECT_EQ(RunText(script, "$n = $n + 1\n$created = \"yes\""), "");
    EXPECT_EQ(RunText(script, "$n = $n + 1"), "");
    EXPECT_EQ(script.get_integer("$n"), 3);
    EXPECT_STREQ(script.get_string("$created"), "yes");
    script.clear_variables();
    EXPECT_NE(RunText(script, "$n = $n + 1"), "");
    EXPECT_EQ(script.error_code(), kScriptUndefinedVariable);
}

TEST(ScriptVariables, ReservedVariablesOfTheWrongTypeOrMissing) {
    SCRIPT script;
    EXPECT_EQ(RunText(script, "$a = author(1, \"f\")"),
              Cp("Ошибка выполнения скрипта, переменная не определена (строка 1)."));
    script.define_integer("$_genre_str_", 1);
    EXPECT_EQ(RunText(script, "$a = genre(1)"),
              Cp("Ошибка выполнения скрипта, несоответствие типов (строка 1)."));
    // An incomplete last author: its first name is there, its last name is not.
    script.define_string("$_author_str_", "A\bB\bC\bD\bE");  // fields end with 0x08, "\b"
    EXPECT_EQ(RunText(script, "$a = author(2, \"f\")"), "");
    EXPECT_STREQ(script.get_string("$a"), "D");
    EXPECT_EQ(RunText(script, "$a = author(2, \"m\")"),
              Cp("Ошибка выполнения скрипта (строка 1)."));
}

TEST(ScriptRun, BlocksLeftByAFailedRunDoNotReachTheNext) {
    SCRIPT script;
    EXPECT_NE(RunText(script, "if (1 = 1) {\nwhile (1 = 2) {\n$a = $x"), "");
    EXPECT_EQ(RunText(script, "$a = 1\n"), "");
    EXPECT_EQ(RunText(script, "}"),
              Cp("Ошибка в скрипте, нарушена структура '{' и '}' (строка 1)."));
}

TEST(ScriptRun, TextUpToANul) {
    SCRIPT script;
    const char bytes[] = "$a = 1\0$a = \"x\"";
    script.set_text(bytes, sizeof bytes - 1);
    EXPECT_EQ(RunText(script, script.get_text()), "");
    EXPECT_EQ(script.get_integer("$a"), 1);
    EXPECT_EQ(RunText(script, ""), "") << "an empty script does nothing";
}

TEST(ScriptRun, AnEndlessLoopStopsAfterTenMillionStatements) {
    SCRIPT script;
    EXPECT_EQ(SCRIPT::kDefaultStatementBudget, 10'000'000);
    // Statements go while, assignment, "}": number 10,000,001 is the assignment.
    EXPECT_EQ(RunText(script, "while (1 = 1) {\n$a = 1\n}"),
              Cp("Ошибка выполнения скрипта (строка 2)."));
}

TEST(ScriptRun, ValuesCannotGrowWithoutBound) {
    SCRIPT script;
    script.set_max_value_length(1000);
    EXPECT_EQ(RunText(script, "$a = \"x\"\nwhile (1 = 1) {\n$a = $a + $a\n}"),
              Cp("Ошибка выполнения скрипта (строка 3)."));
    EXPECT_EQ(script.get_string("$a"), std::string(512, 'x'));
    EXPECT_EQ(RunText(script, "$a = repl($a, \"x\", \"xy\")"),
              Cp("Ошибка выполнения скрипта (строка 1)."));
    EXPECT_EQ(RunText(script, "$a = repl($a, \"xx\", \"xxx\")"), "");
    EXPECT_EQ(script.get_string("$a"), std::string(768, 'x'));
}

// Scripts that build values without end, each stopped by one of the guards with error 4
// (a string grown a byte at a time once ran for minutes).
TEST(ScriptRun, RunawayValuesEndWithError4) {
    struct Case {
        const char* text;
        const char* error;
    };
    const std::string comment = "while (1 = 1) {\n// " + std::string(1 << 20, 'c') + "\n}";
    const Case cases[] = {
        // 3,333,333 bytes appended: the statement budget ends it at the while line.
        {"$s = \"\"\nwhile (1 = 1) {\n$s = $s + \"x\"\n}", "Ошибка выполнения скрипта (строка 2)."},
        {"$s = \"x\"\nwhile (1 = 1) {\n$s = $s + $s\n}", "Ошибка выполнения скрипта (строка 3)."},
        // Each copy of a growing value counts in full: the byte budget ends it.
        {"$s = \"\"\nwhile (1 = 1) {\n$t = $s + \"x\"\n$s = $t\n}",
         "Ошибка выполнения скрипта (строка 3)."},
        {"$s = \"ab\"\n$i = 0\nwhile ($i < 19) {\n$s = $s + $s\n$i = $i + 1\n}\n"
         "while (1 = 1) {\n$t = repl($s, \"a\", \"cc\")\n}",
         "Ошибка выполнения скрипта (строка 8)."},
        // Lines read count too, comments included.
        {comment.c_str(), "Ошибка выполнения скрипта (строка 2)."},
    };
    for (const Case& c : cases) {
        SCRIPT script;
        EXPECT_EQ(RunText(script, c.text), Cp(c.error)) << c.text;
    }
}

TEST(ScriptRun, TheByteBudgetCountsLinesAndValues) {
    SCRIPT script;
    EXPECT_EQ(SCRIPT::kDefaultByteBudget, 256 << 20);
    const std::string forty(40, 'x');
    // Line 1 reads 48 bytes, the literal's 42 and stores 40; line 2 reads 8, copies 40
    // and stores 40.
    const std::string text = "$a = \"" + forty + "\"\n$b = $a\n";
    script.set_byte_budget(217);
    EXPECT_EQ(RunText(script, text.c_str()), Cp("Ошибка выполнения скрипта (строка 2)."));
    script.set_byte_budget(218);
    EXPECT_EQ(RunText(script, text.c_str()), "");
    // Appending counts the bytes appended, not the value appended to (which would add
    // half a million here).
    script.set_byte_budget(100'000);
    EXPECT_EQ(RunText(script,
                      "$i = 0\n$s = \"\"\nwhile ($i < 1000) {\n$s = $s + \"x\"\n"
                      "$i = $i + 1\n}"),
              "");
    EXPECT_EQ(script.get_string("$s"), std::string(1000, 'x'));
}

}  // namespace
}  // namespace tomeo::test

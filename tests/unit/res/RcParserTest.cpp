// The resource-script reader of the simulated Windows: what it accepts, the
// styles it computes (as the resource compiler does), and how it reports
// what it cannot read.
//
// Scripts here are u8 literals: ParseRc reads UTF-8, while plain literals in
// this build are code page 932.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/sim/RcResources.h"

namespace hg::sim {
namespace {

std::string U8(const char8_t* s) {
  return reinterpret_cast<const char*>(s);
}

RcResources Parse(const char8_t* text) {
  return ParseRc(U8(text));
}

// The message of the error ParseRc throws, or "" if it throws none.
std::string ParseError(const char8_t* text) {
  try {
    ParseRc(U8(text));
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

TEST(RcParser, MalformedMenuItemIsReportedWithItsLine) {
  const std::string msg = ParseError(u8R"(LANGUAGE 0x11, 1
128 MENU
BEGIN
    POPUP "File"
    BEGIN
        MENUITEM "Exit" 32773
    END
END
)");
  EXPECT_NE(msg.find("line 6:"), std::string::npos) << msg;
  EXPECT_NE(msg.find("expected ','"), std::string::npos) << msg;
}

TEST(RcParser, UnknownNameIsReportedWithItsLine) {
  const std::string msg = ParseError(u8R"(
830 DIALOG 0, 0, 100, 50
STYLE WS_POPUP
BEGIN
    EDITTEXT IDC_NO_SUCH_THING, 1, 2, 3, 4
END
)");
  EXPECT_NE(msg.find("line 5:"), std::string::npos) << msg;
  EXPECT_NE(msg.find("IDC_NO_SUCH_THING"), std::string::npos) << msg;
}

TEST(RcParser, UnterminatedStringIsReported) {
  const std::string msg = ParseError(u8"STRINGTABLE\nBEGIN\n  1 \"open\nEND\n");
  EXPECT_NE(msg.find("line 3:"), std::string::npos) << msg;
  EXPECT_NE(msg.find("unterminated"), std::string::npos) << msg;
}

TEST(RcParser, MissingEndNamesTheLineThatOpenedTheBlock) {
  const std::string msg = ParseError(u8"\n\n5 MENU\nBEGIN\n  MENUITEM \"a\", 1\n");
  EXPECT_NE(msg.find("line 3:"), std::string::npos) << msg;
  EXPECT_NE(msg.find("END"), std::string::npos) << msg;
}

TEST(RcParser, UnsupportedStatementsAreRejected) {
  EXPECT_NE(ParseError(u8"1 24 \"app.manifest\"\n").find("line 1:"), std::string::npos);
  EXPECT_NE(ParseError(u8"1 RT_MANIFEST \"app.manifest\"\n").find("RT_MANIFEST"),
            std::string::npos);
  EXPECT_NE(
      ParseError(u8"1 DIALOG 0,0,1,1\nBEGIN\n  CONTROL \"x\", 1, \"Button\", 0, 1, 1, 1, 1\nEND\n")
          .find("line 3: control CONTROL is not supported"),
      std::string::npos);
  EXPECT_NE(ParseError(u8"1 DIALOG 0,0,1,1\nMENU 5\nBEGIN\nEND\n").find("line 2:"),
            std::string::npos);
  EXPECT_NE(ParseError(u8"1 MENU\nBEGIN\n  MENUITEM \"a\", 1, CHECKED\nEND\n").find("line 3:"),
            std::string::npos);
  EXPECT_NE(ParseError(u8"#pragma code_page(932)\n").find("line 1:"), std::string::npos);
  EXPECT_NE(ParseError(u8"#include <commctrl.h>\n").find("line 1:"), std::string::npos);
  EXPECT_NE(ParseError(u8"#if 1\n#endif\n").find("line 1:"), std::string::npos);
  EXPECT_NE(ParseError(u8"STRINGTABLE\nBEGIN\n  1 \"a\\qb\"\nEND\n").find("line 3:"),
            std::string::npos);
  EXPECT_NE(ParseError(u8"1 DIALOG 0,0,1,1\nBEGIN\n  LTEXT \"a\", -1, 1, 1, 1, 1 2\nEND\n")
                .find("line 3:"),
            std::string::npos);
}

TEST(RcParser, DuplicatesAreRejected) {
  EXPECT_NE(ParseError(u8"STRINGTABLE\nBEGIN\n 7 \"a\"\n 7 \"b\"\nEND\n").find("line 4:"),
            std::string::npos);
  // The same id twice in one language, also when another block comes between.
  EXPECT_NE(ParseError(u8"LANGUAGE 0x11, 1\nSTRINGTABLE\nBEGIN\n 7 \"a\"\nEND\n"
                       u8"LANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n 7 \"b\"\nEND\n"
                       u8"LANGUAGE 0x11, 1\nSTRINGTABLE\nBEGIN\n 7 \"c\"\nEND\n")
                .find("line 14:"),
            std::string::npos);
  EXPECT_NE(ParseError(u8"1 ICON \"a.ico\"\n1 ICON \"b.ico\"\n").find("line 2:"),
            std::string::npos);
}

TEST(RcParser, EachLanguageBlockKeepsItsOwnResources) {
  RcResources res =
      Parse(u8"LANGUAGE 0x11, 1\nSTRINGTABLE\nBEGIN\n 7 \"日本\"\nEND\n"
            u8"LANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n 7 \"English\"\n 8 \"more\"\nEND\n");
  EXPECT_EQ(res.language, 0x0411);
  EXPECT_EQ(res.strings.size(), 1u);
  ASSERT_EQ(res.translations.size(), 1u);
  EXPECT_EQ(res.translations[0].language, 0x0409);
  EXPECT_EQ(res.translations[0].strings.at(7), "English");
  // Windows' choice by display language.
  EXPECT_EQ(&res.ForLanguage(0x0411), &res);
  EXPECT_EQ(res.ForLanguage(0x0409).strings.at(8), "more");
  EXPECT_EQ(res.ForLanguage(0x0809).strings.at(8), "more"); // English (UK): same primary
  EXPECT_EQ(res.ForLanguage(0x0407).strings.at(8), "more"); // German: US English
}

TEST(RcParser, TextThatCodePage932LacksIsReportedWithItsLine) {
  const std::string msg = ParseError(u8"STRINGTABLE\nBEGIN\n  1 \"ok\"\n  2 \"smile 😀\"\nEND\n");
  EXPECT_NE(msg.find("line 4:"), std::string::npos) << msg;
}

TEST(RcParser, ControlStylesFollowTheResourceCompiler) {
  const RcResources res = Parse(u8R"(
7 DIALOG 0, 0, 10, 10
BEGIN
    EDITTEXT 1, 0, 0, 1, 1
    EDITTEXT 2, 0, 0, 1, 1, ES_PASSWORD
    EDITTEXT 3, 0, 0, 1, 1, ES_PASSWORD | NOT WS_BORDER
    LTEXT "a", 4, 0, 0, 1, 1
    LTEXT "a", 5, 0, 0, 1, 1, SS_NOPREFIX
    RTEXT "a", 6, 0, 0, 1, 1
    CTEXT "a", 7, 0, 0, 1, 1
    PUSHBUTTON "b", 8, 0, 0, 1, 1
    PUSHBUTTON "b", 9, 0, 0, 1, 1, NOT WS_TABSTOP
    DEFPUSHBUTTON "b", 10, 0, 0, 1, 1, WS_GROUP
    ICON 128, 11, 3, 4
END
)");
  const RcDialog& d = res.dialogs.at(7);
  ASSERT_EQ(d.controls.size(), 11u);
  // Values as GNU windres writes them into the template.
  EXPECT_EQ(d.controls[0].style, 0x50810000u);
  EXPECT_EQ(d.controls[1].style, 0x50810020u);
  EXPECT_TRUE(d.controls[1].IsPassword());
  EXPECT_EQ(d.controls[2].style, 0x50010020u);
  EXPECT_EQ(d.controls[3].style, 0x50020000u);
  EXPECT_EQ(d.controls[4].style, 0x50000080u); // an explicit style drops the implied WS_GROUP
  EXPECT_EQ(d.controls[5].style, 0x50020002u);
  EXPECT_EQ(d.controls[6].style, 0x50020001u);
  EXPECT_EQ(d.controls[7].style, 0x50010000u);
  EXPECT_EQ(d.controls[8].style, 0x50000000u);
  EXPECT_EQ(d.controls[9].style, 0x50030001u);
  EXPECT_EQ(d.controls[10].style, 0x50000003u);
  EXPECT_EQ(d.controls[10].kind, "ICON");
  EXPECT_EQ(d.controls[10].text, "128");
  EXPECT_EQ(d.controls[10].x, 3);
  EXPECT_EQ(d.controls[10].y, 4);
  EXPECT_EQ(d.controls[10].line, 14);
  EXPECT_FALSE(d.controls[9].IsEdit());
  EXPECT_TRUE(d.controls[9].IsButton());
  EXPECT_TRUE(d.controls[3].IsStatic());
}

TEST(RcParser, DialogStyleDefaultsAndImpliedBits) {
  const RcResources res = Parse(u8R"(
1 DIALOG 0, 0, 10, 10
BEGIN
END
2 DIALOG 0, 0, 10, 10
STYLE WS_CHILD
BEGIN
END
3 DIALOGEX 5, 6, 70, 80
STYLE WS_POPUP | NOT WS_SYSMENU
EXSTYLE WS_EX_TOOLWINDOW
CAPTION "Title"
FONT 8, "Face", 400, 0, 0x80
BEGIN
END
)");
  EXPECT_EQ(res.dialogs.at(1).style, 0x80880000u); // WS_POPUP | WS_BORDER | WS_SYSMENU
  EXPECT_EQ(res.dialogs.at(2).style, 0x40000000u);
  const RcDialog& d = res.dialogs.at(3);
  EXPECT_TRUE(d.extended);
  EXPECT_EQ(d.style, 0x80C00040u); // CAPTION adds WS_CAPTION, FONT adds DS_SETFONT
  EXPECT_EQ(d.exStyle, 0x80u);
  EXPECT_EQ(d.caption, "Title");
  EXPECT_EQ(d.pointSize, 8);
  EXPECT_EQ(d.fontFace, "Face");
  EXPECT_EQ(d.fontWeight, 400);
  EXPECT_EQ(d.fontCharset, 0x80);
  EXPECT_EQ(d.x, 5);
  EXPECT_EQ(d.y, 6);
  EXPECT_EQ(d.cx, 70);
  EXPECT_EQ(d.cy, 80);
}

TEST(RcParser, StringsEscapesAndConversion) {
  const RcResources res = Parse(u8R"(STRINGTABLE
BEGIN
    1, "two\nlines"
    2 "say ""hi"" \\ \t."
    3 "ﾊﾟｽ　あ"
    4 L"wide"
    5 "" // empty
END
)");
  EXPECT_EQ(res.strings.at(1), "two\nlines");
  EXPECT_EQ(res.strings.at(2), "say \"hi\" \\ \t.");
  EXPECT_EQ(res.strings.at(3), "\xCA\xDF\xBD\x81\x40\x82\xA0");
  EXPECT_EQ(res.strings.at(4), "wide");
  EXPECT_EQ(res.strings.at(5), "");
}

TEST(RcParser, DefinesConditionsAndComments) {
  const RcResources res = Parse(u8R"(/* a comment
   over lines */
#define FIRST 10
#define SECOND (FIRST + 5)
#define NAME "named"
#ifndef FIRST
#define FIRST 99
#else
#define THIRD 0x20
#endif
#ifdef NOT_DEFINED
this line is skipped
#endif
STRINGTABLE // trailing comment
BEGIN
    FIRST   NAME
    SECOND  "x" /* inline */
    THIRD | 1 "y"
END
)");
  ASSERT_EQ(res.strings.size(), 3u);
  EXPECT_EQ(res.strings.at(10), "named");
  EXPECT_EQ(res.strings.at(15), "x");
  EXPECT_EQ(res.strings.at(0x21), "y");
}

TEST(RcParser, IncludesResourceHeaderBesideTheScript) {
  const RcResources res = Parse(u8R"(#include <windows.h>
#include "resource.h"
LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT
IDR_MAINFRAME MENU
BEGIN
    POPUP "p"
    BEGIN
        MENUITEM "q", ID_SETTINGS
    END
END
)");
  EXPECT_EQ(res.language, 0x0411);
  ASSERT_EQ(res.menus.count(128), 1u);
  EXPECT_EQ(res.menus.at(128).items.at(0).items.at(0).id, 32772u);

  const std::string missing = ParseError(u8"\n#include \"no_such_header.h\"\n");
  EXPECT_NE(missing.find("line 2:"), std::string::npos) << missing;
}

TEST(RcParser, VersionBlock) {
  const RcResources res = Parse(u8R"(
#define V "2.3.4.5"
VS_VERSION_INFO VERSIONINFO
 FILEVERSION 2, 3, 4, 5
 PRODUCTVERSION 6, 7, 8, 9
 FILEOS VOS__WINDOWS32
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904b0"
        BEGIN
            VALUE "FileVersion", V
            VALUE "Comments", "c"
        END
    END
    BLOCK "VarFileInfo"
    BEGIN
        VALUE "Translation", 0x409, 1200
    END
END
)");
  EXPECT_EQ(res.versionString, "2.3.4.5");
  EXPECT_EQ(res.versionBlock, "040904b0");
  EXPECT_EQ(res.versionValues.at("Comments"), "c");
  EXPECT_EQ(res.fileVersion, (std::array<int, 4>{2, 3, 4, 5}));
  EXPECT_EQ(res.productVersion, (std::array<int, 4>{6, 7, 8, 9}));
  EXPECT_EQ(res.translation, (std::vector<unsigned>{0x409, 1200}));

  const std::string msg = ParseError(u8"1 VERSIONINFO\nBEGIN\n  VALUE \"Comments\", \"c\"\nEND\n");
  EXPECT_NE(msg.find("line 3:"), std::string::npos) << msg;
}

TEST(RcParser, Utf8ToCp932) {
  EXPECT_EQ(Utf8ToCp932(U8(u8"ﾊﾟｽﾜｰﾄﾞ")), "\xCA\xDF\xBD\xDC\xB0\xC4\xDE");
  EXPECT_EQ(Utf8ToCp932(U8(u8"あ※（")), "\x82\xA0\x81\xA6\x81\x69");
  EXPECT_EQ(Utf8ToCp932("plain ASCII\n"), "plain ASCII\n");
  EXPECT_EQ(Utf8ToCp932(""), "");
  EXPECT_THROW(Utf8ToCp932("\xFF"), std::runtime_error);     // not UTF-8
  EXPECT_THROW(Utf8ToCp932("\xE3\x81"), std::runtime_error); // cut short
  EXPECT_THROW(Utf8ToCp932("\xF0\x9F\x98\x80"),
               std::runtime_error); // U+1F600: not in code page 932
}

} // namespace
} // namespace hg::sim

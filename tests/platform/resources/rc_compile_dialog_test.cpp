// tools/rc_compile on DIALOG and DIALOGEX statements: the template's
// rectangle, styles, caption and font, each control statement's class and
// default styles as the system's compiler gives them, and the errors a bad
// template stops the build with.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tools/rc_compile/script_parser.h"

namespace {

constexpr uint32_t kChildVisible = 0x50000000u;  // WS_CHILD | WS_VISIBLE
constexpr uint32_t kTabStop = 0x00010000u;
constexpr uint32_t kGroup = 0x00020000u;

// Compiles `text` from a file of its own, removed afterwards.
bool compileText(const std::string& text, rc::Resources* resources, rc::Diagnostic* diagnostic, std::string* path)
{
    char pattern[] = "/tmp/q31_rc_dialog_XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) return false;
    close(fd);
    *path = pattern;
    std::ofstream(*path, std::ios::binary) << text;
    const bool ok = rc::compileScript(*path, resources, diagnostic);
    std::remove(path->c_str());
    return ok;
}

}  // namespace

TEST(RcCompileDialog, ReadsTheTemplateWithItsOptionsAndControlDefaults)
{
    const std::string script =
        "#include <windows.h>\n"
        "#define IDD_X 144\n"
        "#define IDC_LIST 1002\n"
        "IDD_X DIALOGEX 0, 0, 289, 302\n"
        "STYLE DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU\n"
        "CAPTION \"Direct3D Settings\"\n"
        "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1\n"
        "BEGIN\n"
        "    GROUPBOX \"Group\", -1, 5, 5, 276, 47\n"
        "    LTEXT \"&Label:\", -1, 16, 17, 98, 10\n"
        "    COMBOBOX IDC_LIST, 124, 15, 149, 100, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP\n"
        "    CONTROL \"&Windowed\", 1016, \"Button\", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 16, 68, 98, 15\n"
        "    CONTROL \"&Full\", 1018, BUTTON, BS_AUTORADIOBUTTON, 16, 83, 98, 15\n"
        "    DEFPUSHBUTTON \"OK\", IDOK, 86, 286, 50, 14, NOT WS_TABSTOP\n"
        "    PUSHBUTTON \"Cancel\", IDCANCEL, 152, 286, 50, 14, WS_DISABLED, WS_EX_CLIENTEDGE\n"
        "END\n";
    rc::Resources resources;
    rc::Diagnostic diagnostic;
    std::string path;
    ASSERT_TRUE(compileText(script, &resources, &diagnostic, &path)) << rc::formatDiagnostic(diagnostic);
    ASSERT_EQ(resources.dialogs.size(), 1u);
    const rc::Dialog& dialog = resources.dialogs[0];
    EXPECT_EQ(dialog.id, 144u);
    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(dialog.width, 289);
    EXPECT_EQ(dialog.height, 302);
    EXPECT_EQ(dialog.style, 0x80C808C0u);
    EXPECT_EQ(dialog.caption, "Direct3D Settings");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.faceName, "MS Shell Dlg");
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_FALSE(dialog.italic);
    EXPECT_EQ(dialog.charset, 1u);

    struct Want {
        const char* className;
        const char* text;
        uint32_t id;
        int x, y, width, height;
        uint32_t style;
        uint32_t exStyle;
    };
    const Want want[] = {
        {"Button", "Group", 0xFFFFFFFFu, 5, 5, 276, 47, kChildVisible | 0x7u, 0},
        {"Static", "&Label:", 0xFFFFFFFFu, 16, 17, 98, 10, kChildVisible | kGroup, 0},
        {"ComboBox", "", 1002, 124, 15, 149, 100, kChildVisible | 0x00200000u | kTabStop | 0x3u, 0},
        {"Button", "&Windowed", 1016, 16, 68, 98, 15, kChildVisible | kGroup | kTabStop | 0x9u, 0},
        {"Button", "&Full", 1018, 16, 83, 98, 15, kChildVisible | 0x9u, 0},
        {"Button", "OK", 1, 86, 286, 50, 14, kChildVisible | 0x1u, 0},
        {"Button", "Cancel", 2, 152, 286, 50, 14, kChildVisible | 0x08000000u | kTabStop, 0x200u},
    };
    ASSERT_EQ(dialog.controls.size(), sizeof want / sizeof want[0]);
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const rc::DialogControl& control = dialog.controls[i];
        SCOPED_TRACE(want[i].text);
        EXPECT_EQ(control.className, want[i].className);
        EXPECT_EQ(control.text, want[i].text);
        EXPECT_EQ(control.id, want[i].id);
        EXPECT_EQ(control.x, want[i].x);
        EXPECT_EQ(control.y, want[i].y);
        EXPECT_EQ(control.width, want[i].width);
        EXPECT_EQ(control.height, want[i].height);
        EXPECT_EQ(control.style, want[i].style);
        EXPECT_EQ(control.exStyle, want[i].exStyle);
    }
}

TEST(RcCompileDialog, APlainDialogHasSixteenBitIdsAndTheDefaultStyle)
{
    const std::string script =
        "#include <windows.h>\n"
        "7 DIALOG 10, 20, 100, 50\n"
        "CAPTION \"Plain\"\n"
        "BEGIN\n"
        "    LTEXT \"x\", -1, 1, 2, 3, 4\n"
        "END\n";
    rc::Resources resources;
    rc::Diagnostic diagnostic;
    std::string path;
    ASSERT_TRUE(compileText(script, &resources, &diagnostic, &path)) << rc::formatDiagnostic(diagnostic);
    ASSERT_EQ(resources.dialogs.size(), 1u);
    const rc::Dialog& dialog = resources.dialogs[0];
    EXPECT_FALSE(dialog.extended);
    EXPECT_EQ(dialog.x, 10);
    EXPECT_EQ(dialog.y, 20);
    // WS_POPUP | WS_BORDER | WS_SYSMENU without STYLE; CAPTION adds WS_CAPTION; no FONT, no DS_SETFONT.
    EXPECT_EQ(dialog.style, 0x80C80000u);
    EXPECT_EQ(dialog.pointSize, 0);
    ASSERT_EQ(dialog.controls.size(), 1u);
    EXPECT_EQ(dialog.controls[0].id, 0xFFFFu);
}

TEST(RcCompileDialog, BadTemplatesStopAtTheOffendingLine)
{
    struct BadCase {
        const char* what;
        const char* script;
        int line;
        const char* words;
    };
    const BadCase cases[] = {
        {"unknown style name", "1 DIALOG 0, 0, 10, 10\nSTYLE WS_POPUP\nBEGIN\nEND\n", 2, "WS_POPUP"},
        {"unknown control", "#include <windows.h>\n1 DIALOG 0, 0, 10, 10\nBEGIN\n SLIDER 1, 0, 0, 1, 1\nEND\n", 4,
         "SLIDER"},
        {"coordinate missing", "1 DIALOG 0, 0, 10\nBEGIN\nEND\n", 2, "after width"},
        {"negative id other than -1", "1 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", -2, 0, 0, 1, 1\nEND\n", 3, "-1"},
        {"END missing", "1 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", 5, 0, 0, 1, 1\n", 3, "END missing"},
        {"unsupported option", "1 DIALOG 0, 0, 10, 10\nMENU 5\nBEGIN\nEND\n", 2, "not supported"},
        {"duplicate dialog", "1 DIALOG 0, 0, 1, 1\nBEGIN\nEND\n1 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n", 4, "twice"},
        {"unknown class keyword", "1 DIALOG 0, 0, 1, 1\nBEGIN\n CONTROL \"a\", 5, SLIDER, 0, 0, 0, 1, 1\nEND\n", 3,
         "SLIDER"},
        {"unclosed parenthesis", "1 DIALOG 0, 0, 1, 1\nSTYLE (0x80\nBEGIN\nEND\n", 3, "')'"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        rc::Resources resources;
        rc::Diagnostic diagnostic;
        std::string path;
        EXPECT_FALSE(compileText(c.script, &resources, &diagnostic, &path));
        EXPECT_EQ(diagnostic.file, path);
        EXPECT_EQ(diagnostic.line, c.line) << diagnostic.message;
        EXPECT_NE(diagnostic.message.find(c.words), std::string::npos) << diagnostic.message;
    }
}

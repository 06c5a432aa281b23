// tools/rc_compile on scripts the tests write: the grammar the program's
// script may grow into reads as the system's compiler reads it, and every bad
// script stops the build with "file:line: message" and a non-zero exit,
// without leaving an output file behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/rc_compile/ico_decoder.h"
#include "tools/rc_compile/script_parser.h"

namespace {

// A private folder for one test's scripts, removed with its files afterwards.
class ScriptFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/q31_rc_compile_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        for (const std::string& file : files_) std::remove(file.c_str());
        rmdir(dir_.c_str());
    }

    std::string write(const std::string& name, const std::string& text)
    {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        files_.push_back(path);
        return path;
    }

    // A copy of the program's icon beside the scripts, so they can name it.
    void copyIcon(const std::string& name)
    {
        std::ifstream in(Q31_ICON_PATH, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        write(name, bytes.str());
    }

    struct Run {
        int status = -1;
        std::string errors;
        bool outputExists = false;
    };

    // Runs the built tool as the build does.
    Run runTool(const std::string& script)
    {
        const std::string output = dir_ + "/out.cpp";
        const std::string errors = dir_ + "/errors.txt";
        files_.push_back(output);
        files_.push_back(output + ".tmp");
        files_.push_back(errors);
        const std::string command =
            "'" + std::string(Q31_RC_COMPILE) + "' '" + script + "' '" + output + "' 2>'" + errors + "'";
        Run run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(errors);
        std::getline(in, run.errors);
        run.outputExists = std::ifstream(output).good();
        return run;
    }

    bool compile(const std::string& script, rc::Resources* resources, rc::Diagnostic* diagnostic)
    {
        return rc::compileScript(script, resources, diagnostic);
    }

    std::string dir_;
    std::vector<std::string> files_;
};

const char idsHeader[] =
    "#pragma once\n"
    "#define IDM_ONE 40001\n"
    "#define IDM_TWO (0x9C42)\n"
    "#define IDM_ALIAS IDM_ONE\n";

}  // namespace

using ScriptGrammar = ScriptFolder;

TEST_F(ScriptGrammar, ReadsMenusWithIncludesCommentsOptionsAndEscapes)
{
    write("ids.h", idsHeader);
    const std::string script = write("menu.rc",
                                     "#include \"ids.h\"\n"
                                     "#include \"ids.h\"  // once only, or the defines would clash\n"
                                     "/* block\n   comment */\n"
                                     "7 MENU DISCARDABLE\n"
                                     "{\n"
                                     "  popup \"&Top\"\n"
                                     "  BEGIN\n"
                                     "    MENUITEM \"Say \"\"hi\"\"\\tCtrl+H\", IDM_ONE, GRAYED\n"
                                     "    MENUITEM \"Back\\\\slash\", IDM_TWO, CHECKED GRAYED\n"
                                     "    POPUP \"Inner\", GRAYED\n"
                                     "    { MENUITEM \"Deep\", IDM_ALIAS }\n"
                                     "  END\n"
                                     "}\n");
    rc::Resources resources;
    rc::Diagnostic diagnostic;
    ASSERT_TRUE(compile(script, &resources, &diagnostic)) << rc::formatDiagnostic(diagnostic);
    ASSERT_EQ(resources.menus.size(), 1u);
    EXPECT_EQ(resources.menus[0].id, 7u);
    ASSERT_EQ(resources.menus[0].items.size(), 1u);
    const rc::MenuItem& top = resources.menus[0].items[0];
    EXPECT_TRUE(top.popup);
    EXPECT_EQ(top.text, "&Top");
    ASSERT_EQ(top.children.size(), 3u);
    EXPECT_EQ(top.children[0].text, "Say \"hi\"\tCtrl+H");
    EXPECT_EQ(top.children[0].id, 40001u);
    EXPECT_TRUE(top.children[0].grayed);
    EXPECT_FALSE(top.children[0].checked);
    EXPECT_EQ(top.children[1].text, "Back\\slash");
    EXPECT_EQ(top.children[1].id, 0x9C42u);
    EXPECT_TRUE(top.children[1].checked && top.children[1].grayed);
    EXPECT_TRUE(top.children[2].popup && top.children[2].grayed);
    ASSERT_EQ(top.children[2].children.size(), 1u);
    EXPECT_EQ(top.children[2].children[0].id, 40001u);
}

TEST_F(ScriptGrammar, ReadsAcceleratorKeysAndFlagsAsTheirPublishedValues)
{
    const std::string script = write("keys.rc",
                                     "#include <windows.h>\n"
                                     "5 ACCELERATORS\n"
                                     "BEGIN\n"
                                     "  \"a\", 1, ASCII\n"
                                     "  \"^C\", 2\n"
                                     "  VK_F5, 3, VIRTKEY, SHIFT, CONTROL\n"
                                     "  \"7\", 4, VIRTKEY ALT NOINVERT\n"
                                     "  0x41, 5, VIRTKEY\n"
                                     "END\n");
    rc::Resources resources;
    rc::Diagnostic diagnostic;
    ASSERT_TRUE(compile(script, &resources, &diagnostic)) << rc::formatDiagnostic(diagnostic);
    ASSERT_EQ(resources.accelerators.size(), 1u);
    const std::vector<rc::Accelerator>& e = resources.accelerators[0].entries;
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].key, 'a');
    EXPECT_EQ(e[0].flags, 0);
    EXPECT_EQ(e[1].key, 3);  // Ctrl+C is the control character 3
    EXPECT_EQ(e[1].flags, 0);
    EXPECT_EQ(e[2].key, 0x74);
    EXPECT_EQ(e[2].flags, rc::AccelVirtKey | rc::AccelShift | rc::AccelControl);
    EXPECT_EQ(e[3].key, '7');
    EXPECT_EQ(e[3].flags, rc::AccelVirtKey | rc::AccelAlt | rc::AccelNoInvert);
    EXPECT_EQ(e[4].key, 'A');
    for (size_t i = 0; i < e.size(); ++i) EXPECT_EQ(e[i].command, i + 1);
}

using BadScripts = ScriptFolder;

// Each case: the script, the line the error must name, and words of its message.
struct BadCase {
    const char* what;
    const char* script;
    int line;
    const char* words;
};

TEST_F(BadScripts, StopTheToolWithFileLineAndReason)
{
    write("ids.h", idsHeader);
    const BadCase cases[] = {
        {"comma missing", "#include \"ids.h\"\n1 MENU\nBEGIN\n POPUP \"F\"\n BEGIN\n  MENUITEM \"A\" IDM_ONE\n END\nEND\n", 6,
         "expected ','"},
        {"unknown id", "#include \"ids.h\"\n1 MENU\nBEGIN\n POPUP \"F\"\n BEGIN\n\n  MENUITEM \"A\", IDM_NOPE\n END\nEND\n",
         7, "IDM_NOPE"},
        {"VK name without <windows.h>", "1 ACCELERATORS\nBEGIN\n VK_F2, 1, VIRTKEY\nEND\n", 3, "VK_F2"},
        {"END missing", "1 MENU\nBEGIN\n MENUITEM \"A\", 1\n", 3, "END missing"},
        {"unknown type", "\n\n1 BITMAPZ \"x.bmp\"\n", 3, "BITMAPZ"},
        {"unclosed string", "1 MENU\nBEGIN\n MENUITEM \"A, 1\nEND\n", 3, "not closed"},
        {"unclosed comment", "1 MENU\n/* never\nclosed\n", 2, "comment"},
        {"ALT on ASCII key", "1 ACCELERATORS\nBEGIN\n \"x\", 1, ASCII, ALT\nEND\n", 3, "VIRTKEY"},
        {"lowercase VIRTKEY letter", "1 ACCELERATORS\nBEGIN\n \"x\", 1, VIRTKEY\nEND\n", 3, "uppercase"},
        {"id beyond 16 bits", "1 MENU\nBEGIN\n MENUITEM \"A\", 70000\nEND\n", 3, "16 bits"},
        {"duplicate id", "1 MENU\nBEGIN\nEND\n1 MENU\nBEGIN\nEND\n", 4, "twice"},
        {"clashing #define", "#include \"ids.h\"\n#define IDM_ONE 5\n", 2, "redefined"},
        {"missing include", "#include \"absent.h\"\n", 1, "absent.h"},
        {"missing icon", "\n1 ICON \"absent.ico\"\n", 2, "absent.ico"},
        {"icon that is not an icon", "1 ICON \"ids.h\"\n", 1, "not an icon"},
        {"unknown escape", "1 MENU\nBEGIN\n MENUITEM \"\\q\", 1\nEND\n", 3, "unknown escape '\\q'"},
        {"stray character", "1 MENU\nBEGIN\n MENUITEM \"A\", 1 @\nEND\n", 3, "unexpected character '@'"},
        {"'#' inside a line", "1 MENU # BEGIN END\n", 1, "must begin a line"},
        {"unsupported directive", "\n#ifdef X\n", 2, "#ifdef"},
        {"unknown system header", "#include <stdio.h>\n", 1, "<stdio.h>"},
        {"#define without a number", "\n#define IDM_X\n", 2, "needs a number"},
        {"bad number", "#define IDM_X 12abc\n", 1, "'12abc' is not a number"},
        {"number beyond 32 bits", "#define IDM_X 0x100000000\n", 1, "32 bits"},
        {"resource without id", "MENU BEGIN END\n", 1, "needs a numeric id"},
        {"unknown menu option", "1 MENU\nBEGIN\n MENUITEM \"A\", 1, BOLD\nEND\n", 3, "BOLD"},
        {"unsupported menu option", "1 MENU\nBEGIN\n MENUITEM \"A\", 1, MENUBREAK\nEND\n", 3, "not supported"},
        {"item outside a popup block", "1 MENU\nBEGIN\n ITEM \"A\", 1\nEND\n", 3, "expected MENUITEM, POPUP or END"},
        {"VIRTKEY and ASCII", "1 ACCELERATORS\nBEGIN\n 65, 1, VIRTKEY, ASCII\nEND\n", 3, "not both"},
        {"control character as VIRTKEY", "1 ACCELERATORS\nBEGIN\n \"^X\", 1, VIRTKEY\nEND\n", 3, "CONTROL"},
        {"key of two characters", "1 ACCELERATORS\nBEGIN\n \"xy\", 1\nEND\n", 3, "one character"},
        {"unknown accelerator option", "1 ACCELERATORS\nBEGIN\n 65, 1, VIRTKEY, REPEAT\nEND\n", 3, "REPEAT"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string script = write("bad.rc", c.script);
        const Run run = runTool(script);
        EXPECT_NE(run.status, 0);
        EXPECT_FALSE(run.outputExists);
        const std::string where = script + ":" + std::to_string(c.line) + ": ";
        EXPECT_EQ(run.errors.compare(0, where.size(), where), 0) << run.errors;
        EXPECT_NE(run.errors.find(c.words), std::string::npos) << run.errors;
    }
}

TEST_F(BadScripts, AnErrorInAHeaderNamesTheHeader)
{
    const std::string header = write("bad.h", "#define IDM_A 1\n\n#define IDM_B\n");
    rc::Resources resources;
    rc::Diagnostic diagnostic;
    EXPECT_FALSE(compile(write("uses.rc", "#include \"bad.h\"\n"), &resources, &diagnostic));
    EXPECT_EQ(diagnostic.file, header);
    EXPECT_EQ(diagnostic.line, 3);

    write("loop.h", "#include \"loop.h\"\n");
    EXPECT_FALSE(compile(write("loop.rc", "#include \"loop.h\"\n"), &resources, &diagnostic));
    EXPECT_NE(diagnostic.message.find("nested too deeply"), std::string::npos) << diagnostic.message;
}

TEST_F(BadScripts, AMissingScriptIsNamedWithoutALine)
{
    const std::string script = dir_ + "/absent.rc";
    const Run run = runTool(script);
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.errors.compare(0, script.size() + 2, script + ": "), 0) << run.errors;
}

TEST_F(BadScripts, AGoodScriptWritesTheTables)
{
    copyIcon("chest.ico");
    const std::string script = write("good.rc", "1 ICON \"chest.ico\"\n2 MENU { MENUITEM \"A\", 1 }\n");
    const Run run = runTool(script);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(run.outputExists);
}

using IcoDecoding = ScriptFolder;

TEST_F(IcoDecoding, RejectsDamagedFilesWithAReason)
{
    std::ifstream in(Q31_ICON_PATH, std::ios::binary);
    const std::vector<uint8_t> good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(good.size(), 64u);
    std::vector<rc::IconImage> images;
    std::string error;
    ASSERT_TRUE(rc::decodeIco(good, &images, &error)) << error;

    std::vector<uint8_t> truncated(good.begin(), good.end() - 100);
    EXPECT_FALSE(rc::decodeIco(truncated, &images, &error));
    EXPECT_FALSE(error.empty());

    std::vector<uint8_t> cursor = good;
    cursor[2] = 2;
    EXPECT_FALSE(rc::decodeIco(cursor, &images, &error));
    EXPECT_NE(error.find("cursor"), std::string::npos) << error;

    std::vector<uint8_t> wrongSize = good;
    wrongSize[6] = 48;  // the directory's width of the first image
    EXPECT_FALSE(rc::decodeIco(wrongSize, &images, &error));
    EXPECT_NE(error.find("listed as"), std::string::npos) << error;

    EXPECT_FALSE(rc::decodeIco({}, &images, &error));
}

namespace {

// An icon image to encode: 0xAARRGGBB top-down. For 24 and 8 bits, alpha 0
// sets the AND mask and anything else is opaque.
struct TestImage {
    int size;
    int bitCount;
    std::vector<uint32_t> argb;
};

void put16(std::vector<uint8_t>* b, uint32_t v)
{
    b->push_back(v & 0xFF);
    b->push_back(v >> 8 & 0xFF);
}

void put32(std::vector<uint8_t>* b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

std::vector<uint8_t> encodeImage(const TestImage& image)
{
    const int n = image.size;
    std::vector<uint32_t> palette;
    if (image.bitCount == 8)
        for (uint32_t c : image.argb)
            if (std::find(palette.begin(), palette.end(), c & 0xFFFFFF) == palette.end()) palette.push_back(c & 0xFFFFFF);
    std::vector<uint8_t> b;
    put32(&b, 40);
    put32(&b, n);
    put32(&b, n * 2);
    put16(&b, 1);
    put16(&b, image.bitCount);
    for (int i = 0; i < 4; ++i) put32(&b, 0);  // compression, image size, resolution
    put32(&b, uint32_t(palette.size()));
    put32(&b, 0);
    for (uint32_t p : palette) put32(&b, p);
    const size_t stride = (size_t(n) * image.bitCount + 31) / 32 * 4;
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row;
        for (int x = 0; x < n; ++x) {
            const uint32_t c = image.argb[size_t(y) * n + x];
            if (image.bitCount == 8) {
                row.push_back(uint8_t(std::find(palette.begin(), palette.end(), c & 0xFFFFFF) - palette.begin()));
                continue;
            }
            row.push_back(c & 0xFF);
            row.push_back(c >> 8 & 0xFF);
            row.push_back(c >> 16 & 0xFF);
            if (image.bitCount == 32) row.push_back(c >> 24);
        }
        row.resize(stride, 0);
        b.insert(b.end(), row.begin(), row.end());
    }
    const size_t maskStride = (size_t(n) + 31) / 32 * 4;
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < n; ++x)
            if ((image.argb[size_t(y) * n + x] >> 24) == 0) row[x / 8] |= 0x80 >> (x % 8);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

std::vector<uint8_t> makeIco(const std::vector<TestImage>& images)
{
    std::vector<uint8_t> out;
    put16(&out, 0);
    put16(&out, 1);
    put16(&out, uint16_t(images.size()));
    std::vector<std::vector<uint8_t>> data;
    for (const TestImage& image : images) data.push_back(encodeImage(image));
    size_t offset = 6 + 16 * images.size();
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(images[i].size));
        out.push_back(uint8_t(images[i].size));
        put16(&out, 0);
        put16(&out, 1);
        put16(&out, images[i].bitCount);
        put32(&out, uint32_t(data[i].size()));
        put32(&out, uint32_t(offset));
        offset += data[i].size();
    }
    for (const auto& d : data) out.insert(out.end(), d.begin(), d.end());
    return out;
}

// A few colours in a pattern that differs by row and column, with a clear
// first column and, on request, a half-transparent second row.
std::vector<uint32_t> pattern(int n, bool partialAlpha)
{
    const uint32_t colours[] = {0xFFC08040, 0xFF102030, 0xFFFFFFFF, 0xFF00FF00};
    std::vector<uint32_t> pixels;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            uint32_t c = colours[(x / 3 + y) % 4];
            if (x == 0) c = 0;
            if (partialAlpha && y == 1) c = (c & 0xFFFFFF) | 0x80000000u;
            pixels.push_back(c);
        }
    return pixels;
}

// Offset of the first image's bitmap header in a file from makeIco.
constexpr size_t FirstImage = 6 + 16;

}  // namespace

TEST(IcoDepths, EachDepthDecodesTopDownLargestFirst)
{
    std::vector<rc::IconImage> images;
    std::string error;
    ASSERT_TRUE(rc::decodeIco(makeIco({{4, 32, pattern(4, true)}, {8, 32, pattern(8, true)}}), &images, &error))
        << error;
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].width, 8);
    EXPECT_EQ(images[0].height, 8);
    EXPECT_EQ(images[0].pixels, pattern(8, true));
    EXPECT_EQ(images[1].pixels, pattern(4, true));

    // Without an alpha channel the AND mask decides: clear where set, opaque elsewhere.
    ASSERT_TRUE(rc::decodeIco(makeIco({{5, 24, pattern(5, false)}, {6, 8, pattern(6, false)}}), &images, &error))
        << error;
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].pixels, pattern(6, false)) << "8-bit palette";
    EXPECT_EQ(images[1].pixels, pattern(5, false)) << "24-bit";
}

TEST(IcoDepths, ThirtyTwoBitsWithoutAlphaFallBackToTheMask)
{
    std::vector<uint8_t> ico = makeIco({{4, 32, pattern(4, false)}});
    // Every alpha byte zero, the mask kept, as old editors wrote them.
    for (size_t p = 0; p < 16; ++p) ico[FirstImage + 40 + p * 4 + 3] = 0;
    std::vector<rc::IconImage> images;
    std::string error;
    ASSERT_TRUE(rc::decodeIco(ico, &images, &error)) << error;
    EXPECT_EQ(images[0].pixels, pattern(4, false));
}

TEST(IcoDepths, RefusesImagesItCannotReadWithAReason)
{
    std::vector<uint8_t> png = makeIco({{4, 32, pattern(4, true)}});
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::copy(signature, signature + 8, png.begin() + FirstImage);

    std::vector<uint8_t> sixteenBits = makeIco({{4, 32, pattern(4, true)}});
    sixteenBits[FirstImage + 14] = 16;

    std::vector<uint8_t> compressed = makeIco({{4, 32, pattern(4, true)}});
    compressed[FirstImage + 16] = 3;

    std::vector<uint8_t> badPalette = makeIco({{4, 8, pattern(4, false)}});
    badPalette[FirstImage + 32] = 1;  // one palette entry, but the pixels use three

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* words;
    } cases[] = {
        {"PNG image", png, "PNG-compressed"},
        {"16 bits", sixteenBits, "16 bits per pixel"},
        {"bit fields", compressed, "compressed"},
        {"palette too short", badPalette, "palette entry"},
        {"no images", makeIco({}), "no images"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<rc::IconImage> images;
        std::string error;
        EXPECT_FALSE(rc::decodeIco(c.bytes, &images, &error));
        EXPECT_NE(error.find(c.words), std::string::npos) << error;
    }
}

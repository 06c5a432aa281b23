// q31_rc_compile SCRIPT.rc OUTPUT.cpp: compiles the resource script into the
// C++ tables the Linux platform layer reads. Run by the build (see
// platform/resources/CMakeLists.txt). On any error prints "file:line: message"
// and exits 1 without touching OUTPUT, so the build stops there.
#include <cstdio>
#include <string>

#include "tools/rc_compile/script_parser.h"
#include "tools/rc_compile/table_writer.h"

namespace {

std::string baseName(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Written beside the output and renamed over it, so a failed write never
// leaves a half file that looks up to date.
bool writeFile(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: q31_rc_compile SCRIPT.rc OUTPUT.cpp\n");
        return 2;
    }
    const std::string script = argv[1];
    const std::string output = argv[2];

    rc::Resources resources;
    rc::Diagnostic diagnostic;
    if (!rc::compileScript(script, &resources, &diagnostic)) {
        std::fprintf(stderr, "%s\n", rc::formatDiagnostic(diagnostic).c_str());
        return 1;
    }
    if (!writeFile(output, rc::writeTables(resources, baseName(script)))) {
        std::fprintf(stderr, "%s: cannot write the output file\n", output.c_str());
        return 1;
    }
    return 0;
}

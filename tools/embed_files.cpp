// Turns files into constant byte blocks of a C++ source, so the program carries them in its
// read-only data. Usage: embed_files OUTPUT.cpp HEADER NAMESPACE NAME=FILE...
// Each NAME becomes `extern const std::string_view NAME` in NAMESPACE, declared in HEADER.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::cerr << "usage: embed_files OUTPUT.cpp HEADER NAMESPACE NAME=FILE...\n";
        return 2;
    }
    std::string out = "// Generated at build time by embed_files; edit the sources it was made from.\n";
    out += "#include \"" + std::string(argv[2]) + "\"\n\nnamespace " + argv[3] + " {\nnamespace {\n";
    std::string views;
    for (int i = 4; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto eq = arg.find('=');
        if (eq == std::string::npos) {
            std::cerr << arg << ": expected NAME=FILE\n";
            return 2;
        }
        const std::string name = arg.substr(0, eq), file = arg.substr(eq + 1);
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << file << ": cannot be read\n";
            return 1;
        }
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Three-digit octal escapes: unlike \x they never swallow a following digit.
        out += "const char " + name + "Bytes[] =\n    \"";
        for (std::size_t at = 0; at < bytes.size(); ++at) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned char>(bytes[at]));
            out += escape;
            if (at % 32 == 31 && at + 1 < bytes.size()) out += "\"\n    \"";
        }
        out += "\";\n";
        views +=
            "const std::string_view " + name + "(" + name + "Bytes, " + std::to_string(bytes.size()) + ");\n";
    }
    out += "}  // namespace\n\n" + views + "\n}  // namespace " + argv[3] + "\n";

    std::ofstream o(argv[1], std::ios::binary | std::ios::trunc);
    o << out;
    o.close();
    if (!o) {
        std::cerr << argv[1] << ": cannot be written\n";
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}

// Builds the template database from its SQL script:
//   vollo_mkdb <template.sql> <vollo.db>
// The output is written under a temporary name and renamed at the end, so an
// interrupted build never leaves a half-made template beside the program.
#include <cstdio>
#include <fstream>
#include <sqlite3.h>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <template.sql> <output.db>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "vollo_mkdb: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream script;
    script << in.rdbuf();

    const std::string output = argv[2];
    const std::string partial = output + ".part";
    std::remove(partial.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(partial.c_str(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "vollo_mkdb: cannot create %s: %s\n", partial.c_str(),
                     sqlite3_errmsg(db));
        sqlite3_close(db);
        return 1;
    }
    char* error = nullptr;
    const std::string all =
        "PRAGMA journal_mode=DELETE;\nBEGIN;\n" + script.str() + "\nCOMMIT;\nVACUUM;\n";
    if (sqlite3_exec(db, all.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "vollo_mkdb: %s: %s\n", argv[1], error ? error : "failed");
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(partial.c_str());
        return 1;
    }
    sqlite3_close(db);
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::perror("vollo_mkdb: rename");
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}

#pragma once

struct sqlite3;

// SQL functions the compiled queries call, registered on every connection:
//
//   vollo_namehas(docPath, shortcutPath, needle)  whether the document's name
//       holds needle, compared as the find box compares (TC_TextCompare);
//       the name is taken from docPath, or without facts from the shortcut
//   vollo_ext(docPath, shortcutPath)  the name's extension, lower case with
//       its dot (".pdf"), empty without one
class CQueryFunctions {
public:
    static void Register(sqlite3* db);
};

#include "CQueryFunctions.h"

#include "TC_TextCompare.h"

#include <sqlite3.h>

#include <QString>
#include <algorithm>
#include <string>
#include <string_view>

namespace {

// The document's name in UTF-8: the last part of its path, or of the shortcut
// path without ".lnk" when the document has no stored facts.
std::string_view NameOf(sqlite3_value** argv) {
    const bool fromDocument = sqlite3_value_type(argv[0]) != SQLITE_NULL;
    sqlite3_value* value = fromDocument ? argv[0] : argv[1];
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (text == nullptr)
        return {};
    std::string_view path(text, size_t(sqlite3_value_bytes(value)));
    if (!fromDocument && path.size() >= 4 && path.substr(path.size() - 4) == ".lnk")
        path.remove_suffix(4);
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The needle folded once per statement, kept with the statement's argument.
struct Needle {
    QString folded;
    std::string ascii; // the folded needle when it is ASCII, else empty
    bool isAscii = false;
};

const Needle* NeedleOf(sqlite3_context* context, sqlite3_value* value) {
    if (auto* kept = static_cast<Needle*>(sqlite3_get_auxdata(context, 2)))
        return kept;
    auto* needle = new Needle;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    needle->folded =
        TC_TextCompare::Fold(QString::fromUtf8(text, text ? sqlite3_value_bytes(value) : 0));
    const QByteArray utf8 = needle->folded.toUtf8();
    needle->isAscii = IsAscii(std::string_view(utf8.constData(), size_t(utf8.size())));
    if (needle->isAscii)
        needle->ascii.assign(utf8.constData(), size_t(utf8.size()));
    sqlite3_set_auxdata(context, 2, needle, [](void* p) { delete static_cast<Needle*>(p); });
    return static_cast<Needle*>(sqlite3_get_auxdata(context, 2));
}

void NameHas(sqlite3_context* context, int /*argc*/, sqlite3_value** argv) {
    const Needle* needle = NeedleOf(context, argv[2]);
    const std::string_view name = NameOf(argv);
    if (needle == nullptr || name.empty()) {
        sqlite3_result_int(context, 0);
        return;
    }
    // Folding an ASCII name is lowering it: most names are compared without
    // leaving SQLite's bytes.
    if (IsAscii(name)) {
        if (!needle->isAscii) {
            sqlite3_result_int(context, 0);
            return;
        }
        const auto found =
            std::search(name.begin(), name.end(), needle->ascii.begin(), needle->ascii.end(),
                        [](char a, char b) { return LowerAscii(a) == b; });
        sqlite3_result_int(context, found != name.end() || needle->ascii.empty() ? 1 : 0);
        return;
    }
    const QString folded =
        TC_TextCompare::Fold(QString::fromUtf8(name.data(), qsizetype(name.size())));
    sqlite3_result_int(context, folded.contains(needle->folded) ? 1 : 0);
}

void Extension(sqlite3_context* context, int /*argc*/, sqlite3_value** argv) {
    const std::string_view name = NameOf(argv);
    const size_t dot = name.rfind('.');
    std::string ext;
    if (dot != std::string_view::npos) {
        ext.assign(name.substr(dot));
        std::transform(ext.begin(), ext.end(), ext.begin(), LowerAscii);
    }
    sqlite3_result_text(context, ext.c_str(), int(ext.size()), SQLITE_TRANSIENT);
}

} // namespace

void CQueryFunctions::Register(sqlite3* db) {
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(db, "vollo_namehas", 3, flags, nullptr, &NameHas, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "vollo_ext", 2, flags, nullptr, &Extension, nullptr, nullptr,
                               nullptr);
}

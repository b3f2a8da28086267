// Any text as a query: it is either read into a tree whose leaves lie inside
// the text, or refused with a position inside the text; and a name written by
// Quote is always read back as that one name.
#include "CQueryError.h"
#include "CQueryParser.h"

#include <cstdint>
#include <cstdlib>

namespace {

void CheckTree(const CQueryNode& node, int length) {
    if (node.position < 0 || node.position > length)
        std::abort();
    for (const auto& child : node.children)
        CheckTree(*child, length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        if (const auto root = CQueryParser::Parse(text))
            CheckTree(*root, int(text.size()));
    } catch (const CQueryError& e) {
        if (e.Position() < 0 || e.Position() > text.size() || e.Reason().isEmpty())
            std::abort();
    }
    if (!text.isEmpty()) {
        const auto back = CQueryParser::Parse(CQueryParser::Quote(text));
        if (!back || back->kind != CQueryNode::Kind::Text || back->text != text)
            std::abort();
    }
    return 0;
}

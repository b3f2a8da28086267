#include "support_repository.h"

#include <QtGlobal>

CFreshDataHome::CFreshDataHome(int depth) : m_previous(qgetenv("XDG_DATA_HOME")) {
    m_dataHome = m_dir.path();
    for (int i = 0; i < depth; ++i)
        m_dataHome += QStringLiteral("/level%1").arg(i);
    qputenv("XDG_DATA_HOME", m_dataHome.toLocal8Bit());
}

CFreshDataHome::~CFreshDataHome() {
    qputenv("XDG_DATA_HOME", m_previous);
}

#include "CBusyIndicator.h"

#include <utility>

namespace {
std::function<void()>& BeginHandler() {
    static std::function<void()> handler;
    return handler;
}
std::function<void()>& EndHandler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

void CBusyIndicator::setHandlers(std::function<void()> begin, std::function<void()> end) {
    BeginHandler() = std::move(begin);
    EndHandler() = std::move(end);
}

CBusyIndicator::CBusyIndicator() {
    if (BeginHandler()) {
        BeginHandler()();
        m_shown = true;
    }
}

CBusyIndicator::~CBusyIndicator() {
    // Only a pointer this guard showed is taken back, so installing handlers
    // in the middle of a walk cannot unbalance the pointer stack.
    if (m_shown && EndHandler())
        EndHandler()();
}

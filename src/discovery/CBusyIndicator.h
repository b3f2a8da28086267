#pragma once

#include <functional>

// The busy pointer shown while long work runs on the interface thread. This
// library links no GUI, so the program installs the two handlers (for example
// QGuiApplication::setOverrideCursor / restoreOverrideCursor) and every long
// operation holds one CBusyIndicator for as long as it runs: the pointer comes
// back on every way out, exceptions included. Without handlers it does nothing.
class CBusyIndicator {
public:
    static void setHandlers(std::function<void()> begin, std::function<void()> end);

    CBusyIndicator();
    ~CBusyIndicator();
    CBusyIndicator(const CBusyIndicator&) = delete;
    CBusyIndicator& operator=(const CBusyIndicator&) = delete;

private:
    bool m_shown = false;
};

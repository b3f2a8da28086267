#pragma once

#include "CError.h"

#include <QtTest>

// One program runs a folder's test classes in turn: less to build and to check.
template <typename Test> int Run(int argc, char** argv) {
    Test test;
    return QTest::qExec(&test, argc, argv);
}
template <typename... Tests> int RunAll(int argc, char** argv) {
    int failed = 0;
    ((failed += Run<Tests>(argc, argv)), ...);
    return failed;
}

// The error a call raises; code -1 when it raised none.
template <typename Call> CError Raised(Call call) {
    try {
        call();
    } catch (const CError& e) {
        return e;
    }
    return CError(-1, QStringLiteral("no error"));
}

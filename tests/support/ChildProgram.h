#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTest>
#include <chrono>
#include <filesystem>

namespace shelfwise::test {

// Starts this test program again as a second program that runs only `childTest` (a test of the
// ChildProgram suite), with `variable` naming the program directory it works in. True once the
// second program runs.
inline bool StartChildProgram(QProcess& child, const char* variable,
                              const std::filesystem::path& programDir, const char* childTest) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(variable), QString::fromStdString(programDir.string()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ChildProgram.") + QString::fromLatin1(childTest)});
    return child.waitForStarted();
}

// Waits for the other program to make the file, handling this program's events meanwhile.
inline bool WaitForFile(const std::filesystem::path& file,
                        std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const QDeadlineTimer deadline(timeout);
    while (!std::filesystem::exists(file)) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

} // namespace shelfwise::test

// Runs the real brindle-cli (its path comes from the build) in a scratch folder and collects
// what it printed and how it exited.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <utility>
#include <vector>

#include "support/file_bytes.h"
#include "support/test_bytes.h"

namespace clitest {

using testbytes::Bytes;

// The shared builders' bytes as Qt holds them, to compare with what brindle-cli wrote.
inline QByteArray QBytes(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

struct Outcome {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

class CliTest : public ::testing::Test {
protected:
    // Names taken from disks need not be valid UTF-8, which QDir can't remove.
    ~CliTest() override { std::filesystem::remove_all(m_dir.path().toStdString()); }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    Outcome Run(const QStringList& arguments) const {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(BRINDLE_CLI_PATH), arguments);
        Outcome outcome;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << "brindle-cli did not finish normally: "
                          << arguments.join(' ').toStdString();
            process.kill();
            process.waitForFinished();
            return outcome;
        }
        outcome.code = process.exitCode();
        outcome.out = process.readAllStandardOutput();
        outcome.err = process.readAllStandardError();
        // Under the sanitizers a fault exits with status 1, which some commands may give anyway.
        EXPECT_FALSE(outcome.err.contains("Sanitizer") || outcome.err.contains("runtime error"))
            << outcome.err.toStdString();
        return outcome;
    }

    // Runs and expects the exit code, reporting stderr when it differs.
    Outcome Expect(int code, const QStringList& arguments) const {
        Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.code, code) << arguments.join(' ').toStdString() << "\n"
                                      << outcome.err.toStdString();
        return outcome;
    }

#ifdef BRINDLE_SYNC_SHIM
    // Runs with tests/support/sync_shim.cpp preloaded, set up by the given variables.
    Outcome RunShimmed(const QStringList& arguments,
                       const std::vector<std::pair<QString, QString>>& settings) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", BRINDLE_SYNC_SHIM);
        for (const auto& [name, value] : settings) {
            environment.insert(name, value);
        }
        // The sanitizers' runtime wants to be first; the shim comes before it.
        environment.insert("ASAN_OPTIONS",
                           environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(BRINDLE_CLI_PATH), arguments);
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
#endif

    QByteArray Read(const QString& name) const {
        return testsupport::ReadAll(Path(name));
    }
    void Write(const QString& name, const QByteArray& bytes) const {
        testsupport::WriteAll(Path(name), bytes);
    }
    void Write(const QString& name, const Bytes& bytes) const {
        Write(name, QBytes(bytes));
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace clitest

// A private temporary home for one test: XDG_DATA_HOME, XDG_CONFIG_HOME and
// HOME point into it for the test's lifetime, so nothing reaches a real
// user's files.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <optional>

namespace mirovex::test {

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    QString path(const QString& relative = {}) const;

    static QByteArray readAll(const QString& path);
    static void write(const QString& path, const QByteArray& bytes);

private:
    QTemporaryDir dir_;
    std::map<QByteArray, std::optional<QByteArray>> saved_;
};

} // namespace mirovex::test

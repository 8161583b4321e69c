#include "tests/unit/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace mirovex::test {

TestFolder::TestFolder()
{
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        const char* v = std::getenv(name);
        saved_[name] = v ? std::optional<QByteArray>(v) : std::nullopt;
    }
    QDir().mkpath(path("home/Documents"));
    qputenv("HOME", QFile::encodeName(path("home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
}

TestFolder::~TestFolder()
{
    for (const auto& [name, value] : saved_) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

QString TestFolder::path(const QString& relative) const
{
    return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
}

QByteArray TestFolder::readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TestFolder::write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

} // namespace mirovex::test

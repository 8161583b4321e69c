// The single-instance lock on real files: where it lives, what makes two
// starts the same program, and that the lock is exclusive and published.
#include "platform/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace mirovex::platform;

namespace {
// Sets an environment variable for one scope.
class EnvScope {
public:
    EnvScope(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~EnvScope() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};
} // namespace

TEST(SingleInstance, LockNamesByExecutableAndServer)
{
    const QString f = QStringLiteral("/run/user/1");
    const QString a = lockFilePath(f, QStringLiteral("Mirovex"), QStringLiteral("/opt/a/Mirovex"), QStringLiteral(":0"));
    EXPECT_TRUE(a.startsWith(f + QStringLiteral("/Mirovex-")));
    EXPECT_TRUE(a.endsWith(QStringLiteral(".lock")));
    // The screen number names the same server.
    EXPECT_EQ(a, lockFilePath(f, QStringLiteral("Mirovex"), QStringLiteral("/opt/a/Mirovex"), QStringLiteral(":0.0")));
    // Another folder's copy, another server or another program is another lock.
    EXPECT_NE(a, lockFilePath(f, QStringLiteral("Mirovex"), QStringLiteral("/opt/b/Mirovex"), QStringLiteral(":0")));
    EXPECT_NE(a, lockFilePath(f, QStringLiteral("Mirovex"), QStringLiteral("/opt/a/Mirovex"), QStringLiteral(":1")));
    EXPECT_NE(a, lockFilePath(f, QStringLiteral("annotate"), QStringLiteral("/opt/a/Mirovex"), QStringLiteral(":0")));
    EXPECT_NE(lockFilePath(f, QStringLiteral("Mirovex"), QStringLiteral("/x"), QStringLiteral("host:1.0")),
              lockFilePath(f, QStringLiteral("Mirovex"), QStringLiteral("/x"), QStringLiteral("other:1.0")));
}

TEST(SingleInstance, RuntimeFolderMustBePrivateAndOurs)
{
    QTemporaryDir tmp;
    const QString good = tmp.filePath(QStringLiteral("run"));
    ASSERT_EQ(::mkdir(QFile::encodeName(good).constData(), 0700), 0);
    {
        EnvScope e("XDG_RUNTIME_DIR", QFile::encodeName(good));
        EXPECT_EQ(runtimeFolder(QStringLiteral("MirovexTest")), good);
    }
    // A folder others may write to, a relative path or a link is passed
    // over for a private folder of our own.
    const QString open = tmp.filePath(QStringLiteral("open"));
    ASSERT_EQ(::mkdir(QFile::encodeName(open).constData(), 0777), 0);
    ::chmod(QFile::encodeName(open).constData(), 0777);
    const QString link = tmp.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(good, link));
    for (const QString& bad : {open, QStringLiteral("relative/run"), link}) {
        EnvScope e("XDG_RUNTIME_DIR", QFile::encodeName(bad));
        const QString got = runtimeFolder(QStringLiteral("MirovexTest"));
        EXPECT_EQ(got, QStringLiteral("/tmp/MirovexTest-%1").arg(::getuid())) << bad.toStdString();
        struct stat st{};
        ASSERT_EQ(::lstat(QFile::encodeName(got).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    QDir(QStringLiteral("/tmp/MirovexTest-%1").arg(::getuid())).removeRecursively();
}

TEST(SingleInstance, OneHolderThePublishedWindowAndRelease)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("Mirovex-test.lock"));
    SingleInstance first;
    ASSERT_EQ(first.acquire(path), SingleInstance::Outcome::First);
    EXPECT_FALSE(SingleInstance::publishedWindow(path, 0).has_value());
    EXPECT_TRUE(first.publishWindow(0x1e00004));

    SingleInstance second;
    EXPECT_EQ(second.acquire(path), SingleInstance::Outcome::AlreadyRunning);
    EXPECT_FALSE(second.held());
    EXPECT_EQ(SingleInstance::publishedWindow(path, 0), std::optional<std::uint32_t>(0x1e00004));

    // A garbage file publishes nothing.
    first.release();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a window\n");
    f.close();
    EXPECT_FALSE(SingleInstance::publishedWindow(path, 0).has_value());

    // Released: the next copy is the first, and what was published is gone.
    EXPECT_EQ(second.acquire(path), SingleInstance::Outcome::First);
    EXPECT_FALSE(SingleInstance::publishedWindow(path, 0).has_value());
    second.release();
    EXPECT_EQ(second.reacquire(), SingleInstance::Outcome::First);
}

TEST(SingleInstance, NoLockWhereNoneCanBeMade)
{
    SingleInstance s;
    EXPECT_EQ(s.acquire(QStringLiteral("/nonexistent-folder/x.lock")), SingleInstance::Outcome::NoLock);
    EXPECT_FALSE(s.held());
    EXPECT_FALSE(s.publishWindow(1));
}

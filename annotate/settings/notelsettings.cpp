#include "annotate/settings/notelsettings.h"

#include "common/settings/settingsfolder.h"

namespace mirovex::notel {

QString pathA() { return settingsPath(kFileA); }
QString pathB() { return settingsPath(kFileB); }
QString pathC() { return settingsPath(kFileC); }
QString pathD() { return settingsPath(kFileD); }

bool buttonDefault(int number) { return number != 8 && number != 16; }

namespace {
QByteArray buttonKey(int number) { return "Vidno" + QByteArray::number(number); }

QByteArray numbered(const char* prefix, int n) { return QByteArray(prefix) + QByteArray::number(n); }

// The numbers of the recent icon colours: Rt1 ... Rt9, then Rt100.
int recentNumber(int index) { return index < 9 ? index + 1 : 100; }

quint32 readColour(const SettingsFile& f, const char* section, const QByteArray& key, quint32 def)
{
    return f.read(ColourKey{section, key.constData(), def});
}
} // namespace

Buttons loadButtons(const QString& path)
{
    const SettingsFile f(path);
    Buttons out{};
    for (int n = kFirstButton; n <= kLastButton; ++n)
        out[std::size_t(n - kFirstButton)] = f.readBool("Options", buttonKey(n).constData(), buttonDefault(n));
    return out;
}

bool saveButtons(const QString& path, const Buttons& buttons)
{
    SettingsEdit e(path);
    for (int n = kFirstButton; n <= kLastButton; ++n)
        e.setInt("Options", buttonKey(n).constData(), buttons[std::size_t(n - kFirstButton)] ? 1 : 0);
    return e.commit();
}

MainSettings::MainSettings()
{
    rt.fill(b::kRecentDefault);
    stamp.fill(b::kRecentDefault);
    stampBack.fill(b::kRecentDefault);
    stampBack[0] = b::kStampBackground;
    fall.fill(b::kRecentDefault);
}

quint32 MainSettings::panelColour() const
{
    switch (chfPanel) {
    case Dark:
        return kDarkPanel;
    case Light:
        return kLightPanel;
    default:
        return fPanel;
    }
}

QString safeImageName(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1String("..")))
        return QString::fromUtf8(b::imageName.def);
    return name;
}

QString imageExtension(int imgType)
{
    switch (imgType) {
    case 1:
        return QStringLiteral(".png");
    case 2:
        return QStringLiteral(".bmp");
    default:
        return QStringLiteral(".jpg");
    }
}

QString nextNamePreview(const QString& name, int counter, int imgType)
{
    return QStringLiteral("[ %1%2%3 ]").arg(name).arg(counter).arg(imageExtension(imgType));
}

MainSettings loadSettings(const QString& path)
{
    const SettingsFile f(path);
    MainSettings s;
    const QString folder = f.read(b::imageSavePath, QString());
    s.imageSavePath = folder.trimmed().isEmpty() ? defaultImageFolder() : withTrailingSlash(folder);
    s.imageCounter = f.read(b::imageCounter);
    s.imageName = safeImageName(f.read(b::imageName));
    s.selectType = f.read(b::selectType);
    s.imgType = f.read(b::imgType);
    s.smooth = f.read(b::smooth);
    s.curved = f.read(b::curved);
    s.fullDesk = f.read(b::fullDesk);
    s.clearOn = f.read(b::clearOn);
    s.hideSek = f.read(b::hideSek);
    s.untilFokus = f.read(b::untilFokus);
    s.hideMdwn = f.read(b::hideMdwn);
    s.chfPanel = f.read(b::chfPanel);
    s.fPanel = f.read(b::fPanel);
    s.minimalistic = f.read(b::minimalistic);
    for (std::size_t i = 0; i < s.rt.size(); ++i)
        s.rt[i] = readColour(f, b::kGeneral, numbered("Rt", recentNumber(int(i))), b::kRecentDefault);
    for (std::size_t i = 0; i < s.stamp.size(); ++i)
        s.stamp[i] = readColour(f, b::kGeneral, numbered("S", int(i) + 1), b::kRecentDefault);
    for (std::size_t i = 0; i < s.stampBack.size(); ++i)
        s.stampBack[i] = readColour(f, b::kGeneral, numbered("S", int(i) + 11), s.stampBack[i]);
    s.velikost = f.read(b::velikost);
    s.tiskLevo = f.read(b::tiskLevo);
    s.tiskTop = f.read(b::tiskTop);
    for (std::size_t i = 0; i < s.fall.size(); ++i)
        s.fall[i] = readColour(f, "GeneralFall", numbered("V", int(i) + 1), b::kRecentDefault);
    s.mrezaX = f.read(b::mrezaX);
    s.mrezaY = f.read(b::mrezaY);
    s.mrezaBarva = f.read(b::mrezaBarva);
    s.rbmb = f.read(b::rbmb);
    s.fallLeft = f.read(b::fallLeft);
    s.fallTop = f.read(b::fallTop);
    return s;
}

namespace {
void mainKeys(SettingsEdit& e, const MainSettings& s)
{
    e.set(b::imageName, safeImageName(s.imageName)).set(b::selectType, s.selectType).set(b::imgType, s.imgType);
    e.set(b::smooth, s.smooth).set(b::curved, s.curved).set(b::fullDesk, s.fullDesk);
    e.set(b::mrezaX, s.mrezaX).set(b::mrezaY, s.mrezaY).set(b::mrezaBarva, s.mrezaBarva);
}
} // namespace

bool saveMainSettings(const QString& path, const MainSettings& s)
{
    SettingsEdit e(path);
    mainKeys(e, s);
    return e.commit();
}

bool saveOkSettings(const QString& path, const MainSettings& s)
{
    SettingsEdit e(path);
    e.set(b::imageSavePath, withTrailingSlash(s.imageSavePath)).set(b::imageCounter, s.imageCounter);
    mainKeys(e, s);
    e.set(b::minimalistic, s.minimalistic);
    return e.commit();
}

bool saveCloseSettings(const QString& path, const MainSettings& s)
{
    SettingsEdit e(path);
    e.set(b::clearOn, s.clearOn).setInt(b::opak.section, b::opak.key, 255);
    e.set(b::fPanel, s.fPanel).set(b::chfPanel, s.chfPanel).set(b::fIkona, s.fIkona).set(b::fMenu, s.fMenu);
    e.set(b::rbmb, s.rbmb);
    for (std::size_t i = 0; i < s.rt.size(); ++i)
        e.setInt(b::kGeneral, numbered("Rt", recentNumber(int(i))).constData(), int(s.rt[i] & 0xFFFFFF));
    return e.commit();
}

} // namespace mirovex::notel

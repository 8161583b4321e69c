#include "display/settings/mirovexsettings.h"

#include "common/settings/settingsfolder.h"

namespace mirovex::settings {

QString mainFilePath() { return settingsPath(kMainFile); }

int spotLightPremer(const SettingsFile& file, int primaryWidth)
{
    const int def = std::max(1, primaryWidth / 8);
    const int v = file.readInt(key::spotLightPremer.section, key::spotLightPremer.key, def);
    return v >= key::spotLightPremer.min ? v : def;
}

namespace {
QString folderKey(const SettingsFile& file, const StringKey& k)
{
    const QString v = file.read(k, QString());
    return v.trimmed().isEmpty() ? defaultImageFolder() : v;
}
} // namespace

QString imageSavePath(const SettingsFile& file) { return folderKey(file, key::imageSavePath); }
QString qsImageSavePath(const SettingsFile& file) { return folderKey(file, key::qsImageSavePath); }

BulkSettings loadBulk(const SettingsFile& f)
{
    using namespace key;
    BulkSettings s;
    s.levo = f.read(velikostLevo);
    s.gor = f.read(velikostGor);
    s.optAutohide = f.read(optAutohide);
    s.samozagon = f.read(samozagon);
    s.imgCounter = f.read(imgCounter);
    s.optAutohideagain = f.read(optAutohideagain);
    s.dynamicCursor = f.read(dynamicCursor);
    s.configLoad = f.read(configLoad);
    s.oznaci = f.read(oznaciCurrent);
    s.opScaleValue = f.read(opScaleValue);
    s.opPikaValue = f.read(opPikaValue);
    s.opKrizValue = f.read(opKrizValue);
    s.opKrizVelikosr = f.read(opKrizVelikosr);
    s.opSencaValue = f.read(opSencaValue);
    s.showSendOne = f.read(showSendOne);
    s.prosojenBar = f.read(prosojenBar);
    s.daf = f.read(displayDaf);
    s.imageSavePath = settings::imageSavePath(f);
    s.imageCounter = f.read(imageCounter);
    s.qsImageSavePath = settings::qsImageSavePath(f);
    s.qsImageCounter = f.read(qsImageCounter);
    s.imageName = f.read(key::imageName);
    s.hotKey = f.read(key::hotKey);
    s.cbBeep = f.read(cbBeep);
    return s;
}

bool saveBulk(const QString& path, const BulkSettings& s)
{
    using namespace key;
    SettingsEdit e(path);
    e.set(velikostLevo, s.levo).set(velikostGor, s.gor);
    e.set(optAutohide, s.optAutohide).set(samozagon, s.samozagon).set(imgCounter, s.imgCounter);
    e.set(optAutohideagain, s.optAutohideagain).set(dynamicCursor, s.dynamicCursor);
    e.set(configLoad, s.configLoad);
    e.set(oznaciCurrent, s.oznaci);
    e.set(opScaleValue, s.opScaleValue).set(opPikaValue, s.opPikaValue).set(opKrizValue, s.opKrizValue);
    e.set(opKrizVelikosr, s.opKrizVelikosr).set(opSencaValue, s.opSencaValue);
    e.set(showSendOne, s.showSendOne).set(prosojenBar, s.prosojenBar);
    e.set(displayDaf, s.daf);
    e.set(key::imageSavePath, s.imageSavePath).set(imageCounter, s.imageCounter);
    e.set(key::qsImageSavePath, s.qsImageSavePath).set(qsImageCounter, s.qsImageCounter);
    e.set(key::imageName, s.imageName).set(key::hotKey, s.hotKey).set(cbBeep, s.cbBeep);
    return e.commit();
}

} // namespace mirovex::settings

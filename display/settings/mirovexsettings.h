// Every key of "MirovexA.cfg" with its default and valid range, in one place.
// Features read and write their keys through these, never by spelling a name.
#pragma once

#include "common/settings/settingsfile.h"

#include <QString>

namespace mirovex::settings {

inline const QString kMainFile = QStringLiteral("MirovexA.cfg");

// The path of "MirovexA.cfg" in the settings folder.
QString mainFilePath();

namespace key {
inline constexpr const char* kOptions = "Options";

inline constexpr BoolKey samozagon{kOptions, "samozagon", true};
inline constexpr BoolKey optAutohide{kOptions, "optAutohide", false};
inline constexpr BoolKey optAutohideagain{kOptions, "optAutohideagain", false};
inline constexpr BoolKey displayOptions{kOptions, "Display Options", false};
inline constexpr IntKey imgCounter{kOptions, "ImgCounter", 10, 0};
inline constexpr IntKey imageCounter{kOptions, "ImageCounter", 1, 0};
inline constexpr StringKey imageSavePath{kOptions, "ImageSavePath"};   // default: imageSavePath()
inline constexpr StringKey qsImageSavePath{kOptions, "QSImageSavePath"};
inline constexpr IntKey qsImageCounter{kOptions, "QSImageCounter", 1, 0};
inline constexpr StringKey imageName{kOptions, "ImageName", "Image"};
inline constexpr StringKey hotKey{kOptions, "HotKey", "None"};
inline constexpr BoolKey cbBeep{kOptions, "CbBeep", false};
inline constexpr BoolKey dynamicCursor{kOptions, "DynamicCursor", false};
inline constexpr BoolKey animation{kOptions, "animation", false};
inline constexpr IntKey opScaleValue{kOptions, "opScaleValue", 100, 1};
inline constexpr IntKey opPikaValue{kOptions, "opPikaValue", 200, 50, 400};
inline constexpr IntKey opSencaValue{kOptions, "opSencaValue", 50, 5, 400};
inline constexpr IntKey opKrizValue{kOptions, "opKrizValue", 503, 1};
inline constexpr IntKey opKrizVelikosr{kOptions, "opKrizVelikosr", 25, 5, 400};
inline constexpr ColourKey selectDotColor{kOptions, "SelectDotColor", 255};
inline constexpr ColourKey selectCrossColor{kOptions, "SelectCrossColor", 255};
inline constexpr BoolKey showSendOne{kOptions, "ShowSendOne", true};
inline constexpr BoolKey prosojenBar{kOptions, "ProsojenBar", false};
inline constexpr BoolKey on2C{kOptions, "On2C", false};
inline constexpr IntKey spotLightPremer{kOptions, "SpotLightPremer", 0, 1}; // default: spotLightPremer()
inline constexpr IntKey spotLightIdx{kOptions, "SpotLightIDX", 2, 1, 3};
inline constexpr IntKey swapColorIdx{kOptions, "SwapColorIDX", 0, 0, 4};
// Written when switched, never read: these effects always start off.
inline constexpr BoolKey sivaSkala{kOptions, "SivaSkala", false};
inline constexpr BoolKey colorIsolation{kOptions, "ColorIsolation", false};
inline constexpr BoolKey spotLight{kOptions, "SpotLight", false};
inline constexpr BoolKey swapColors{kOptions, "SwapColors", false};
inline constexpr ColourKey panelImgColor{kOptions, "PanelIMGColor", 0};
inline constexpr BoolKey preview{kOptions, "Preview", false};
inline constexpr IntKey fslikaL{kOptions, "fslikaL", 100};
inline constexpr IntKey fSLikaT{kOptions, "fSLikaT", 250};
inline constexpr IntKey slikaVisina{kOptions, "SlikaVisina", 150, 1};
// Written when the image window closes; its size comes from SlikaVisina.
inline constexpr IntKey fSirina{kOptions, "fSirina", 0};
inline constexpr IntKey fVisina{kOptions, "fVisina", 0};
// Written as "mainFormY" in some places and "MainFormy" in others; one key.
inline constexpr IntKey mainFormX{kOptions, "mainFormX", 300};
inline constexpr IntKey mainFormY{kOptions, "mainFormY", 600};
inline constexpr BoolKey toolBarAutoStart{kOptions, "ToolBarAutoStart", true};
inline constexpr BoolKey monitorAutoStart{kOptions, "MonitorAutoStart", false};
// Whether the start-up notice about a limited desktop (Wayland, no
// compositor, no tray) is shown; "Don't show me again." clears it.
inline constexpr BoolKey envNotice{kOptions, "EnvNotice", true};
// Every frame copied and scaled whole, as if nothing on the screen were
// known to be still: for comparison, and a way out should changes go unseen.
inline constexpr BoolKey fullFrames{kOptions, "FullFrames", false};
inline constexpr IntKey autoStartMirror{kOptions, "AutoStartMirror", 0, 0, 5};
// Display indices are checked against the display list where they are used:
// one outside it, negative included, means display 0, not the default.
inline constexpr IntKey selectMonitor{kOptions, "SelectMonitor", 1};
inline constexpr IntKey sourceMonitor{kOptions, "SourceMonitor", 0};
inline constexpr BoolKey prvizagonMonitorja{kOptions, "PrvizagonMonitorja", true};
inline constexpr IntKey optX{kOptions, "optX", 300};
inline constexpr IntKey optY{kOptions, "opty", 300};
inline constexpr IntKey fgridX{kOptions, "fgridX", 300};
inline constexpr IntKey fgridY{kOptions, "fgridy", 300};
inline constexpr IntKey transp{kOptions, "Transp", 50, 0, 255};
inline constexpr IntKey sew{kOptions, "sew", 6, 2, 10};

inline constexpr BoolKey configLoad{"Config", "load", false};
inline constexpr BoolKey configSelectArea{"Config", "SelectArea", true};
inline constexpr IntKey oznaciCurrent{"Oznaci", "Current", 1, 0, 2};
inline constexpr IntKey cursorCurrent{"Cursor", "Current", 0, 0, 3};
inline constexpr bool isViewMode(int v) { return v == 1 || v == 2 || v == 3 || v == 5; }
inline constexpr IntKey displayDaf{"Display", "Daf", 3, INT_MIN, INT_MAX, isViewMode};
inline constexpr IntKey velikostLevo{"VelikostMain", "Levo", 300};
inline constexpr IntKey velikostGor{"VelikostMain", "Gor", 600};
} // namespace key

// Defaults that depend on the machine.
int spotLightPremer(const SettingsFile& file, int primaryWidth);
QString imageSavePath(const SettingsFile& file);
QString qsImageSavePath(const SettingsFile& file);

// What the settings save at exit writes, gathered from the features.
struct BulkSettings {
    int levo = key::velikostLevo.def;
    int gor = key::velikostGor.def;
    bool optAutohide = key::optAutohide.def;
    bool samozagon = key::samozagon.def;
    int imgCounter = key::imgCounter.def;
    bool optAutohideagain = key::optAutohideagain.def;
    bool dynamicCursor = key::dynamicCursor.def;
    bool configLoad = key::configLoad.def;
    int oznaci = key::oznaciCurrent.def;
    int opScaleValue = key::opScaleValue.def;
    int opPikaValue = key::opPikaValue.def;
    int opKrizValue = key::opKrizValue.def;
    int opKrizVelikosr = key::opKrizVelikosr.def;
    int opSencaValue = key::opSencaValue.def;
    bool showSendOne = key::showSendOne.def;
    bool prosojenBar = key::prosojenBar.def;
    int daf = key::displayDaf.def;
    QString imageSavePath;
    int imageCounter = key::imageCounter.def;
    QString qsImageSavePath;
    int qsImageCounter = key::qsImageCounter.def;
    QString imageName = QString::fromUtf8(key::imageName.def);
    QString hotKey = QString::fromUtf8(key::hotKey.def);
    bool cbBeep = key::cbBeep.def;
};

// The load side of the bulk keys, with every default applied.
BulkSettings loadBulk(const SettingsFile& file);

// Writes every bulk key in one rewrite of the file, in a fixed order so a new
// file always comes out the same. False, with the file as it was, on failure.
bool saveBulk(const QString& path, const BulkSettings& s);

} // namespace mirovex::settings

// Every key of the annotation program's settings files with its default and
// valid range, in one place: "NotelA.cfg" (places, notices), "NotelB.cfg"
// (the main settings), "NotelC.cfg" (visible toolbar buttons), "NotelD.cfg"
// (tool panel). Windows read and write their keys through these tables.
#pragma once

#include "common/settings/settingsfile.h"

#include <QString>

#include <array>

namespace mirovex::notel {

// The caption of every message box of the annotation program.
inline const QString kCaption = QStringLiteral("Mirovex - Vidizizu");

inline const QString kFileA = QStringLiteral("NotelA.cfg");
inline const QString kFileB = QStringLiteral("NotelB.cfg");
inline const QString kFileC = QStringLiteral("NotelC.cfg");
inline const QString kFileD = QStringLiteral("NotelD.cfg");
// Written when a picture is sent by e-mail; deleted when the program closes.
inline const QString kGraphicFile = QStringLiteral("Mirovex_graphic.jpg");

// Paths in the settings folder.
QString pathA();
QString pathB();
QString pathC();
QString pathD();

// The actions after a selection, as "SelectType" stores them.
enum SelectAction { Clipboard = 1, Save = 2, Print = 5, Preview = 13, Email = 15 };
inline constexpr bool isSelectAction(int v) { return v == 1 || v == 2 || v == 5 || v == 13 || v == 15; }

// Colour themes, as "CHFpanel" stores them.
enum Theme { Dark = 1, Light = 2, Custom = 3, UserDefined = 4 };
inline constexpr quint32 kDarkPanel = 5460819;
inline constexpr quint32 kDarkIcon = 12763842;
inline constexpr quint32 kLightPanel = 16777215;
inline constexpr quint32 kLightIcon = 16119285;

namespace a {
inline constexpr IntKey menuSx{"SaveImage", "menuSx", 200};
inline constexpr IntKey menuTop{"SaveImage", "menuTop", 200};
inline constexpr BoolKey clearOn{"General", "ClearOn", false}; // written, not read
inline constexpr BoolKey optAutohide{"Options", "optAutohide", false};
inline constexpr BoolKey optDelete{"Options", "optDelete", false};
} // namespace a

namespace b {
inline constexpr const char* kSaveImage = "SaveImage";
inline constexpr const char* kGeneral = "General";
inline constexpr StringKey imageSavePath{kSaveImage, "ImageSavePath"}; // default: the documents folder
inline constexpr IntKey imageCounter{kSaveImage, "ImageCounter", 1, 0};
inline constexpr StringKey imageName{kSaveImage, "ImageName", "Image"};
inline constexpr IntKey selectType{kSaveImage, "SelectType", Preview, INT_MIN, INT_MAX, isSelectAction};
inline constexpr IntKey imgType{kSaveImage, "ImgType", 0, 0, 2};
inline constexpr BoolKey smooth{kSaveImage, "Smooth", true};
inline constexpr BoolKey curved{kSaveImage, "Curved", false};
inline constexpr IntKey fullDesk{kSaveImage, "FullDesk", 0, 0, 1};
inline constexpr IntKey clearOn{kGeneral, "ClearOn", 0, 0, 1};
inline constexpr IntKey hideSek{kGeneral, "HideSek", 0, 0, 1};
inline constexpr BoolKey untilFokus{kGeneral, "UntilFokus", true};
inline constexpr IntKey hideMdwn{kGeneral, "HideMdwn", 0, 0, 1};
inline constexpr IntKey chfPanel{kGeneral, "CHFpanel", Light, 1, 4};
inline constexpr ColourKey fPanel{kGeneral, "FPanel", kLightPanel};
inline constexpr ColourKey fIkona{kGeneral, "Fikona", kLightIcon}; // written only
inline constexpr ColourKey fMenu{kGeneral, "fMenu", kLightPanel};  // written only
inline constexpr IntKey opak{kGeneral, "Opak", 255, 255, 255};     // always 255
inline constexpr BoolKey minimalistic{kGeneral, "Minimalistic", true};
inline constexpr IntKey velikost{kGeneral, "Velikost", 20, 5, 250};
inline constexpr IntKey tiskLevo{kGeneral, "TiskLevo", 200};
inline constexpr IntKey tiskTop{kGeneral, "TiskTop", 200};
inline constexpr IntKey mrezaX{"Mreza", "MrezaX", 40, 5, 500};
inline constexpr IntKey mrezaY{"Mreza", "MrezaY", 40, 5, 500};
inline constexpr ColourKey mrezaBarva{"Mreza", "MrezaBarva", 8421504};
inline constexpr BoolKey rbmb{"OnTop", "rbmb", false};
inline constexpr IntKey fallLeft{"Fall", "Left", 600};
inline constexpr IntKey fallTop{"Fall", "Top", 300};
inline constexpr IntKey optIkonAgain{"Options", "optIkonAgain", 0};
inline constexpr quint32 kRecentDefault = 16777215;
inline constexpr quint32 kStampBackground = 16744448; // S11
} // namespace b

namespace d {
inline constexpr IntKey tip{"Aditional", "Tip", 2};
inline constexpr ColourKey penCl{"Qdraw", "PenCl", 0}; // written only
} // namespace d

// "NotelC.cfg" [Options] "Vidno2" ... "Vidno17": whether each optional
// toolbar button shows.
inline constexpr int kFirstButton = 2;
inline constexpr int kLastButton = 17;
inline constexpr int kButtonCount = kLastButton - kFirstButton + 1;
bool buttonDefault(int number);
using Buttons = std::array<bool, kButtonCount>; // [0] is "Vidno2"
Buttons loadButtons(const QString& path);
bool saveButtons(const QString& path, const Buttons& buttons);

// The state "NotelB.cfg" holds, as the program works with it.
struct MainSettings {
    QString imageSavePath; // always ending in '/'
    int imageCounter = b::imageCounter.def;
    QString imageName = QString::fromUtf8(b::imageName.def);
    int selectType = b::selectType.def;
    int imgType = b::imgType.def;
    bool smooth = b::smooth.def;
    bool curved = b::curved.def;
    int fullDesk = b::fullDesk.def;
    int clearOn = b::clearOn.def;
    int hideSek = b::hideSek.def;
    bool untilFokus = b::untilFokus.def;
    int hideMdwn = b::hideMdwn.def;
    int chfPanel = b::chfPanel.def;
    quint32 fPanel = b::fPanel.def;
    quint32 fIkona = b::fIkona.def;
    quint32 fMenu = b::fMenu.def;
    bool minimalistic = b::minimalistic.def;
    std::array<quint32, 10> rt{};        // Rt1 ... Rt9, Rt100
    std::array<quint32, 5> stamp{};      // S1 ... S5
    std::array<quint32, 5> stampBack{};  // S11 ... S15
    int velikost = b::velikost.def;
    int tiskLevo = b::tiskLevo.def;
    int tiskTop = b::tiskTop.def;
    std::array<quint32, 16> fall{};      // V1 ... V16
    int mrezaX = b::mrezaX.def;
    int mrezaY = b::mrezaY.def;
    quint32 mrezaBarva = b::mrezaBarva.def;
    bool rbmb = b::rbmb.def;
    int fallLeft = b::fallLeft.def;
    int fallTop = b::fallTop.def;

    MainSettings();
    // The toolbar colour the theme gives: fixed for dark and light, the
    // stored one for the others.
    quint32 panelColour() const;
};

// A quick-save name prefix that cannot leave its folder: empty, or one
// holding "/" or "..", gives "Image".
QString safeImageName(const QString& name);
// The quick-save format's extension: ".jpg", ".png", ".bmp".
QString imageExtension(int imgType);
// The settings window's preview of the next quick-save name:
// "[ Image7.png ]".
QString nextNamePreview(const QString& name, int counter, int imgType);

// "Load settings": every key of "NotelB.cfg" that is read, defaults applied.
MainSettings loadSettings(const QString& path);
// "Save main settings": the selection and grid keys, nothing else.
bool saveMainSettings(const QString& path, const MainSettings& s);
// The settings window's "OK": the quick-save keys, the grid and the layout.
bool saveOkSettings(const QString& path, const MainSettings& s);
// The settings window's close: the look, the mouse option and the recent
// icon colours.
bool saveCloseSettings(const QString& path, const MainSettings& s);

} // namespace mirovex::notel

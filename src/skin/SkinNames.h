#pragma once

// File names, element names and attribute names of skins, exactly as packages and
// descriptions carry them.
namespace ambrin::skin {

inline constexpr const char* kDescriptionFile = "skin.xml";
inline constexpr const char* kDefaultSkinFile = "Ambrin_Large.VSK";
inline constexpr const char* kPackageExtension = ".VSK";
// Unpack folders are $TMPDIR/VSK<number>.
inline constexpr const char* kUnpackFolderPrefix = "VSK";

inline constexpr const char* kSkinInfoElement = "OSKININFO";
inline constexpr const char* kNameAttribute = "ONAME";
inline constexpr const char* kDateAttribute = "ODATE";

// The elements of a skin description and their attributes.
inline constexpr const char* kBitmapElement = "OBITMAPRES";
inline constexpr const char* kFontElement = "OFONTRES";
inline constexpr const char* kWindowElement = "OWINDOW";
inline constexpr const char* kBackgroundElement = "OBKBITMAP";
inline constexpr const char* kPanelElement = "OPANEL";
inline constexpr const char* kButtonElement = "OBUTTONC";
inline constexpr const char* kMultiStateElement = "OMULTISTATEC";
inline constexpr const char* kSliderElement = "OSLIDERC";
inline constexpr const char* kVerticalSliderElement = "OVSLIDERC";
inline constexpr const char* kTextElement = "OTEXTC";
inline constexpr const char* kLevelMeterElement = "OLEVELMETERC";

inline constexpr const char* kFileAttribute = "OFILE";
inline constexpr const char* kTransparentAttribute = "OTCOLOR";
inline constexpr const char* kFaceAttribute = "OFACE";
inline constexpr const char* kBitmapResAttribute = "OBITMAPRES";
inline constexpr const char* kBitmapAttribute = "OBITMAP";
inline constexpr const char* kRectAttribute = "ORECT";
inline constexpr const char* kPosAttribute = "OPOS";
inline constexpr const char* kSourceRectAttribute = "OSRCRECT";
inline constexpr const char* kDestPosAttribute = "ODESTPOS";
inline constexpr const char* kDestRectAttribute = "ODESTRECT";
inline constexpr const char* kBitmapStyleAttribute = "OBITMAPSTYLE";
inline constexpr const char* kTooltipAttribute = "OTOOLTIP";
inline constexpr const char* kChangeWindowAttribute = "OCHANGEWINDOW";
inline constexpr const char* kUrlAttribute = "URL";
inline constexpr const char* kNumStatesAttribute = "ONUMSTATES";
inline constexpr const char* kThumbStatesAttribute = "OTHUMBSTATES";
inline constexpr const char* kFramesAttribute = "OFRAMES";
inline constexpr const char* kNotchAttribute = "ONOTCH";
inline constexpr const char* kNotchWidthAttribute = "ONOTCHWIDTH";
inline constexpr const char* kFontResAttribute = "OFONTRES";
inline constexpr const char* kColourAttribute = "OCOLOR";
inline constexpr const char* kBoldAttribute = "OBOLD";
inline constexpr const char* kItalicAttribute = "OITALIC";
inline constexpr const char* kUnderlineAttribute = "OUNDERLINE";
inline constexpr const char* kAlignAttribute = "OALIGN";
inline constexpr const char* kNoBitmapAttribute = "ONOBITMAP";
inline constexpr const char* kAuthorAttribute = "OAUTHOR";
inline constexpr const char* kEmailAttribute = "OEMAIL";

inline constexpr const char* kVerticalStyle = "vert";
inline constexpr const char* kAlignRight = "Right";
inline constexpr const char* kAlignCenter = "Center";
// The only button that may carry an address.
inline constexpr const char* kLogoControl = "Logo";
// Controls standing directly in a window belong to this implicit panel.
inline constexpr const char* kDummyPanel = "DummyPanel";
inline constexpr const char* kMainWindow = "MainWindow";

}  // namespace ambrin::skin

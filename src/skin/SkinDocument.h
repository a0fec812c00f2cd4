#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/BitmapResource.h"
#include "skin/FontResource.h"
#include "skin/SkinBuilder.h"
#include "skin/SkinReader.h"
#include "skin/SkinView.h"

namespace ambrin {

class SkinControl;

// What a skin says about itself ("OSKININFO").
struct SkinDescription {
    std::string name;
    std::string author;
    std::string email;
    std::string date;
};

// The skin document: reads a skin description ("skin.xml") and builds its bitmaps, fonts
// and windows with their panels and controls. Element by element:
//
//   OBITMAPRES   ONAME, OFILE required; OTCOLOR "#RRGGBB" makes that colour transparent
//   OFONTRES     ONAME, OFACE required; OFILE a font file kept for the skin's life
//   OWINDOW      ONAME required; what follows up to its end tag belongs to it
//   OBKBITMAP    OBITMAPRES required; ORECT the part of the bitmap (default: all of it);
//                the window's size is that part's size, its shape that part's opaque pixels
//   OPANEL       ONAME, OBITMAP, ORECT, OPOS required; controls up to its end belong to it
//                and are placed relative to OPOS
//   OBUTTONC     ONAME, OSRCRECT, OBITMAPRES required; ODESTPOS or ODESTRECT; OBITMAPSTYLE
//                "vert"; OTOOLTIP; OCHANGEWINDOW; URL (only on "Logo")
//   OMULTISTATEC as OBUTTONC without OCHANGEWINDOW and URL, plus ONUMSTATES (required, >= 1)
//   OSLIDERC, OVSLIDERC  ONAME, OSRCRECT, OBITMAPRES and ODESTPOS or ODESTRECT required;
//                OTHUMBSTATES (1, >= 1), OFRAMES (3), ONOTCH, ONOTCHWIDTH, OBITMAPSTYLE,
//                OTOOLTIP. ODESTRECT is the whole track.
//   OTEXTC       ONAME, OFONTRES required; ODESTRECT, OTOOLTIP, OCOLOR, OBOLD, OITALIC,
//                OUNDERLINE ("yes"), OALIGN ("Right", "Center"), ONOBITMAP (read, no effect)
//   OLEVELMETERC ONAME required; ODESTRECT, OTOOLTIP, OCOLOR
//   OSKININFO    ONAME, OAUTHOR, OEMAIL, ODATE
//
// Rectangles are "left, top, right, bottom". A control's images are the cells of its
// OSRCRECT: a cell is (extent + 1) / count pixels, so four 20 × 20 images side by side are
// "0,0,79,19" (see skin::cellOf); ODESTPOS places a control of one cell's size. A missing
// required attribute, a malformed value, an unknown bitmap or font name, a file that cannot
// be loaded or that lies outside the skin's folder, a control or panel outside a window, or
// a control inside a control fails the element, and the load ends with 23. Other element
// names are ignored.
//
// A failed load keeps the previous skin; a successful one replaces it. Windows are handed
// out as shared pointers, so a window on screen outlives a reload until it is replaced.
// Fonts need a QGuiApplication. Not thread-safe: load and query on one thread (the GUI
// thread in the program).
class SkinDocument : public SkinReader, public SkinBuilder {
  public:
    SkinDocument();
    ~SkinDocument() override;

    // The program loads its skin through SkinManager::loadSkin with the document as the
    // builder (unpacking, falling back to the default skin, messages). Tests, tools and
    // benchmarks load a package or a folder holding "skin.xml" directly, without any fallback or
    // message: 0, 2 (no unpack folder), the extraction's code, or the parser's 8 or 23.
    int loadPackage(const std::string& path);
    // SkinBuilder: parses the unpacked description and builds the skin from its files.
    int buildSkin(const std::string& folder, const std::string& descriptionPath) override;

    // The error position of the last failed parse ("[line].").
    const std::string& errorText() const { return m_errorText; }
    // What went wrong in the element that failed, for people reading a log or a test.
    const std::string& failure() const { return m_failure; }

    SkinView* findWindow(const std::string& name) const;
    std::shared_ptr<SkinView> window(const std::string& name) const;
    const std::vector<std::shared_ptr<SkinView>>& windows() const { return m_windows; }
    SkinControl* findControl(const std::string& window, const std::string& control) const;
    const SkinDescription& description() const { return m_description; }
    std::shared_ptr<const BitmapResource> bitmap(const std::string& name) const;
    std::shared_ptr<FontResource> font(const std::string& name) const;

    // The face for text fields whose font is not installed ("SkinDefaultFont").
    void setDefaultFont(const std::string& face);

    // By name across every window; see SkinView.
    int setState(const std::string& name, int state);
    int setValue(const std::string& name, int value);
    int setText(const std::string& name, const std::string& text);
    int setLevelData(const std::string& name, const std::int16_t* samples, size_t count);
    bool readValue(const std::string& name, int& value) const;
    bool readText(const std::string& name, std::string& text) const;

    int startElement(const std::string& name, const Attributes& attributes) override;
    int endElement(const std::string& name) override;

  private:
    struct Building;
    using Handler = int (SkinDocument::*)(const Attributes&);

    int fail(const std::string& element, const std::string& why);
    int onBitmap(const Attributes& attributes);
    int onFont(const Attributes& attributes);
    int onWindow(const Attributes& attributes);
    int onBackground(const Attributes& attributes);
    int onPanel(const Attributes& attributes);
    int onButton(const Attributes& attributes);
    int onMultiState(const Attributes& attributes);
    int onSlider(const Attributes& attributes);
    int onVerticalSlider(const Attributes& attributes);
    int onText(const Attributes& attributes);
    int onLevelMeter(const Attributes& attributes);
    int onSkinInfo(const Attributes& attributes);
    int addSlider(const Attributes& attributes, bool vertical);

    // What every image control reads: OSRCRECT, OBITMAPRES, OBITMAPSTYLE, OTOOLTIP.
    struct ImageParts {
        std::shared_ptr<const BitmapResource> bitmap;
        skin::SkinRect source;
        bool vertical = false;
        std::string tooltip;
    };
    // Checks that a control may start here and reads its ONAME; 0 or the failure.
    int startControl(const Attributes& attributes, std::string& name);
    int readImages(const Attributes& attributes, ImageParts& parts);
    // ODESTRECT, else ODESTPOS with the size of one cell; `dest` is relative to the panel.
    int readDestination(const Attributes& attributes, const QSize& cell, bool required,
                        QRect& dest);
    void placeControl(std::unique_ptr<SkinControl> control, const QRect& dest);
    // Reads the destination of an image control, gives it its images and places it.
    int placeImageControl(const Attributes& attributes, std::unique_ptr<SkinControl> control,
                          const ImageParts& parts, const QSize& cell, bool destinationRequired);

    std::string m_failure;
    std::string m_errorText;
    std::string m_currentElement;
    QString m_defaultFamily;
    std::unique_ptr<Building> m_building;

    std::map<std::string, std::shared_ptr<const BitmapResource>> m_bitmaps;
    std::map<std::string, std::shared_ptr<FontResource>> m_fonts;
    std::vector<std::shared_ptr<SkinView>> m_windows;
    SkinDescription m_description;
};

}  // namespace ambrin

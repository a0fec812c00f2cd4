#include "skin/SkinDocument.h"

#include <algorithm>
#include <string_view>

#include "platform/Folders.h"
#include "skin/ButtonControl.h"
#include "skin/LevelMeterControl.h"
#include "skin/MultiStateControl.h"
#include "skin/SkinArchive.h"
#include "skin/SkinNames.h"
#include "skin/SkinPaths.h"
#include "skin/SkinResults.h"
#include "skin/SliderControl.h"
#include "skin/TextControl.h"
#include "skin/UnpackFolder.h"

namespace ambrin {

namespace {

constexpr int kElementFailed = 2;
// Windows and panels larger than any screen are refused rather than allocated.
constexpr int kMaxWindowSide = 8192;
// Rows of images per control; more would be cells of no pixels.
constexpr int kMaxImageRows = 1000;

const std::string* find(const SkinReader::Attributes& attributes, const char* name) {
    const auto found = attributes.find(name);
    return found != attributes.end() ? &found->second : nullptr;
}

}  // namespace

// What one load builds; it becomes the document's skin only when the whole description
// was read.
struct SkinDocument::Building {
    std::string folder;
    std::map<std::string, std::shared_ptr<const BitmapResource>> bitmaps;
    std::map<std::string, std::shared_ptr<FontResource>> fonts;
    std::vector<std::shared_ptr<SkinView>> windows;
    SkinDescription description;
    std::shared_ptr<SkinView> window;  // the window being built
    int panel = -1;                    // its open OPANEL, -1 none
    bool controlOpen = false;
};

SkinDocument::SkinDocument() = default;

SkinDocument::~SkinDocument() = default;

int SkinDocument::loadPackage(const std::string& path) {
    m_errorText.clear();
    if (folderExists(path)) {
        return buildSkin(path, joinPath(path, skin::kDescriptionFile));
    }
    UnpackFolder folder;
    if (!folder.valid()) {
        return skin::kTempFolderFailed;
    }
    SkinArchive archive;
    const int extracted = archive.extract(path, folder.path());
    if (extracted != skin::kOk) {
        return extracted;
    }
    return buildSkin(folder.path(), joinPath(folder.path(), skin::kDescriptionFile));
}

int SkinDocument::buildSkin(const std::string& folder, const std::string& descriptionPath) {
    m_failure.clear();
    m_errorText.clear();
    m_building = std::make_unique<Building>();
    m_building->folder = folder;
    const int result = parseFile(descriptionPath);
    if (result != skin::kOk) {
        m_errorText = errorPosition();
        m_building.reset();
        return result;
    }
    m_bitmaps = std::move(m_building->bitmaps);
    m_fonts = std::move(m_building->fonts);
    m_windows = std::move(m_building->windows);
    m_description = std::move(m_building->description);
    m_building.reset();
    return skin::kOk;
}

SkinView* SkinDocument::findWindow(const std::string& name) const {
    return window(name).get();
}

std::shared_ptr<SkinView> SkinDocument::window(const std::string& name) const {
    for (const auto& view : m_windows) {
        if (view->name() == name) {
            return view;
        }
    }
    return nullptr;
}

SkinControl* SkinDocument::findControl(const std::string& window,
                                       const std::string& control) const {
    const SkinView* view = findWindow(window);
    return view != nullptr ? view->findControl(control) : nullptr;
}

std::shared_ptr<const BitmapResource> SkinDocument::bitmap(const std::string& name) const {
    const auto found = m_bitmaps.find(name);
    return found != m_bitmaps.end() ? found->second : nullptr;
}

std::shared_ptr<FontResource> SkinDocument::font(const std::string& name) const {
    const auto found = m_fonts.find(name);
    return found != m_fonts.end() ? found->second : nullptr;
}

void SkinDocument::setDefaultFont(const std::string& face) {
    m_defaultFamily = QString::fromStdString(face);
    for (const auto& view : m_windows) {
        view->setDefaultFamily(m_defaultFamily);
    }
}

int SkinDocument::setState(const std::string& name, int state) {
    int reached = 0;
    for (const auto& view : m_windows) {
        reached += view->setState(name, state);
    }
    return reached;
}

int SkinDocument::setValue(const std::string& name, int value) {
    int reached = 0;
    for (const auto& view : m_windows) {
        reached += view->setValue(name, value);
    }
    return reached;
}

int SkinDocument::setText(const std::string& name, const std::string& text) {
    int reached = 0;
    for (const auto& view : m_windows) {
        reached += view->setText(name, text);
    }
    return reached;
}

int SkinDocument::setLevelData(const std::string& name, const std::int16_t* samples, size_t count) {
    int reached = 0;
    for (const auto& view : m_windows) {
        reached += view->setLevelData(name, samples, count);
    }
    return reached;
}

bool SkinDocument::readValue(const std::string& name, int& value) const {
    for (const auto& view : m_windows) {
        if (view->readValue(name, value)) {
            return true;
        }
    }
    return false;
}

bool SkinDocument::readText(const std::string& name, std::string& text) const {
    for (const auto& view : m_windows) {
        if (view->readText(name, text)) {
            return true;
        }
    }
    return false;
}

int SkinDocument::fail(const std::string& element, const std::string& why) {
    m_failure = element + ": " + why;
    return kElementFailed;
}

int SkinDocument::startElement(const std::string& name, const Attributes& attributes) {
    static const std::map<std::string_view, Handler> handlers = {
        {skin::kBitmapElement, &SkinDocument::onBitmap},
        {skin::kFontElement, &SkinDocument::onFont},
        {skin::kWindowElement, &SkinDocument::onWindow},
        {skin::kBackgroundElement, &SkinDocument::onBackground},
        {skin::kPanelElement, &SkinDocument::onPanel},
        {skin::kButtonElement, &SkinDocument::onButton},
        {skin::kMultiStateElement, &SkinDocument::onMultiState},
        {skin::kSliderElement, &SkinDocument::onSlider},
        {skin::kVerticalSliderElement, &SkinDocument::onVerticalSlider},
        {skin::kTextElement, &SkinDocument::onText},
        {skin::kLevelMeterElement, &SkinDocument::onLevelMeter},
        {skin::kSkinInfoElement, &SkinDocument::onSkinInfo},
    };
    if (!m_building) {
        return 0;  // parsed by someone else's call of the reader: nothing to build
    }
    const auto handler = handlers.find(name);
    if (handler == handlers.end()) {
        return 0;
    }
    m_currentElement = name;
    return (this->*handler->second)(attributes);
}

int SkinDocument::endElement(const std::string& name) {
    if (!m_building) {
        return 0;
    }
    Building& b = *m_building;
    if (name == skin::kWindowElement) {
        b.window.reset();
        b.panel = -1;
        b.controlOpen = false;
    } else if (name == skin::kPanelElement) {
        b.panel = -1;
    } else if (name == skin::kButtonElement || name == skin::kMultiStateElement ||
               name == skin::kSliderElement || name == skin::kVerticalSliderElement ||
               name == skin::kTextElement || name == skin::kLevelMeterElement) {
        b.controlOpen = false;
    }
    return 0;
}

int SkinDocument::onBitmap(const Attributes& attributes) {
    const std::string& element = m_currentElement;
    const std::string* name = find(attributes, skin::kNameAttribute);
    const std::string* file = find(attributes, skin::kFileAttribute);
    if (name == nullptr || file == nullptr) {
        return fail(element, "ONAME and OFILE are required");
    }
    std::optional<QColor> transparent;
    if (const std::string* colour = find(attributes, skin::kTransparentAttribute)) {
        QColor parsed;
        if (!skin::parseColour(*colour, parsed)) {
            return fail(element, "OTCOLOR is not #RRGGBB");
        }
        transparent = parsed;
    }
    const std::string path = skin::resolveSkinFile(m_building->folder, *file);
    if (path.empty()) {
        return fail(element, "OFILE \"" + *file + "\" lies outside the skin");
    }
    auto bitmap = BitmapResource::load(*name, path, transparent);
    if (!bitmap) {
        return fail(element, "cannot load \"" + *file + "\"");
    }
    m_building->bitmaps[*name] = std::make_shared<const BitmapResource>(std::move(*bitmap));
    return 0;
}

int SkinDocument::onFont(const Attributes& attributes) {
    const std::string& element = m_currentElement;
    const std::string* name = find(attributes, skin::kNameAttribute);
    const std::string* face = find(attributes, skin::kFaceAttribute);
    if (name == nullptr || face == nullptr) {
        return fail(element, "ONAME and OFACE are required");
    }
    std::string path;
    if (const std::string* file = find(attributes, skin::kFileAttribute)) {
        path = skin::resolveSkinFile(m_building->folder, *file);
        if (path.empty()) {
            return fail(element, "OFILE \"" + *file + "\" lies outside the skin");
        }
    }
    auto font = FontResource::create(*name, *face, path);
    if (!font) {
        return fail(element, "cannot add the font file");
    }
    m_building->fonts[*name] = std::move(font);
    return 0;
}

int SkinDocument::onWindow(const Attributes& attributes) {
    const std::string* name = find(attributes, skin::kNameAttribute);
    if (name == nullptr) {
        return fail(m_currentElement, "ONAME is required");
    }
    Building& b = *m_building;
    b.window = std::make_shared<SkinView>(*name);
    b.window->setDefaultFamily(m_defaultFamily);
    b.windows.push_back(b.window);
    b.panel = -1;
    b.controlOpen = false;
    return 0;
}

int SkinDocument::onBackground(const Attributes& attributes) {
    const std::string& element = m_currentElement;
    Building& b = *m_building;
    if (!b.window) {
        return fail(element, "outside a window");
    }
    const std::string* bitmapName = find(attributes, skin::kBitmapResAttribute);
    if (bitmapName == nullptr) {
        return fail(element, "OBITMAPRES is required");
    }
    const auto bitmap = b.bitmaps.find(*bitmapName);
    if (bitmap == b.bitmaps.end()) {
        return fail(element, "no bitmap \"" + *bitmapName + "\"");
    }
    skin::SkinRect rect{0, 0, bitmap->second->width(), bitmap->second->height()};
    if (const std::string* text = find(attributes, skin::kRectAttribute)) {
        if (!skin::parseRect(*text, rect)) {
            return fail(element, "ORECT is malformed");
        }
    }
    if (rect.width() < 1 || rect.height() < 1 || rect.width() > kMaxWindowSide ||
        rect.height() > kMaxWindowSide) {
        return fail(element, "ORECT has no usable size");
    }
    b.window->setBackground(bitmap->second, rect.toQRect());
    return 0;
}

int SkinDocument::onPanel(const Attributes& attributes) {
    const std::string& element = m_currentElement;
    Building& b = *m_building;
    if (!b.window) {
        return fail(element, "outside a window");
    }
    if (b.controlOpen) {
        return fail(element, "inside a control");
    }
    const std::string* name = find(attributes, skin::kNameAttribute);
    const std::string* bitmapName = find(attributes, skin::kBitmapAttribute);
    const std::string* rectText = find(attributes, skin::kRectAttribute);
    const std::string* posText = find(attributes, skin::kPosAttribute);
    if (name == nullptr || bitmapName == nullptr || rectText == nullptr || posText == nullptr) {
        return fail(element, "ONAME, OBITMAP, ORECT and OPOS are required");
    }
    const auto bitmap = b.bitmaps.find(*bitmapName);
    if (bitmap == b.bitmaps.end()) {
        return fail(element, "no bitmap \"" + *bitmapName + "\"");
    }
    skin::SkinRect rect;
    QPoint pos;
    if (!skin::parseRect(*rectText, rect) || !skin::parsePoint(*posText, pos)) {
        return fail(element, "ORECT or OPOS is malformed");
    }
    if (rect.width() < 1 || rect.height() < 1 || rect.width() > kMaxWindowSide ||
        rect.height() > kMaxWindowSide) {
        return fail(element, "ORECT has no usable size");
    }
    b.panel = b.window->addPanel(
        SkinPanel{*name, pos, bitmap->second, rect.toQRect(), rect.toQRect().size()});
    return 0;
}

int SkinDocument::startControl(const Attributes& attributes, std::string& name) {
    const Building& b = *m_building;
    if (!b.window) {
        return fail(m_currentElement, "outside a window");
    }
    if (b.controlOpen) {
        return fail(m_currentElement, "inside another control");
    }
    const std::string* found = find(attributes, skin::kNameAttribute);
    if (found == nullptr) {
        return fail(m_currentElement, "ONAME is required");
    }
    name = *found;
    return 0;
}

int SkinDocument::readImages(const Attributes& attributes, ImageParts& parts) {
    const std::string* source = find(attributes, skin::kSourceRectAttribute);
    const std::string* bitmapName = find(attributes, skin::kBitmapResAttribute);
    if (source == nullptr || bitmapName == nullptr) {
        return fail(m_currentElement, "OSRCRECT and OBITMAPRES are required");
    }
    if (!skin::parseRect(*source, parts.source)) {
        return fail(m_currentElement, "OSRCRECT is malformed");
    }
    const auto bitmap = m_building->bitmaps.find(*bitmapName);
    if (bitmap == m_building->bitmaps.end()) {
        return fail(m_currentElement, "no bitmap \"" + *bitmapName + "\"");
    }
    parts.bitmap = bitmap->second;
    if (const std::string* style = find(attributes, skin::kBitmapStyleAttribute)) {
        parts.vertical = *style == skin::kVerticalStyle;
    }
    if (const std::string* tooltip = find(attributes, skin::kTooltipAttribute)) {
        parts.tooltip = *tooltip;
    }
    return 0;
}

int SkinDocument::readDestination(const Attributes& attributes, const QSize& cell, bool required,
                                  QRect& dest) {
    if (const std::string* rectText = find(attributes, skin::kDestRectAttribute)) {
        skin::SkinRect rect;
        if (!skin::parseRect(*rectText, rect)) {
            return fail(m_currentElement, "ODESTRECT is malformed");
        }
        dest = rect.toQRect();
        return 0;
    }
    if (const std::string* posText = find(attributes, skin::kDestPosAttribute)) {
        QPoint pos;
        if (!skin::parsePoint(*posText, pos)) {
            return fail(m_currentElement, "ODESTPOS is malformed");
        }
        dest = QRect(pos, cell);
        return 0;
    }
    if (required) {
        return fail(m_currentElement, "ODESTPOS or ODESTRECT is required");
    }
    dest = QRect(QPoint(0, 0), cell);
    return 0;
}

void SkinDocument::placeControl(std::unique_ptr<SkinControl> control, const QRect& dest) {
    Building& b = *m_building;
    const int panel = b.panel >= 0 ? b.panel : b.window->dummyPanel();
    const QPoint origin = b.window->panels()[static_cast<size_t>(panel)].origin;
    control->place(b.window.get(), panel, dest.translated(origin));
    b.window->addControl(std::move(control));
    b.controlOpen = true;
}

int SkinDocument::placeImageControl(const Attributes& attributes,
                                    std::unique_ptr<SkinControl> control, const ImageParts& parts,
                                    const QSize& cell, bool destinationRequired) {
    QRect dest;
    if (const int failed = readDestination(attributes, cell, destinationRequired, dest)) {
        return failed;
    }
    control->setImages(parts.bitmap, parts.source, parts.vertical);
    control->setTooltip(parts.tooltip);
    placeControl(std::move(control), dest);
    return 0;
}

int SkinDocument::onButton(const Attributes& attributes) {
    std::string name;
    ImageParts parts;
    if (const int failed = startControl(attributes, name)) {
        return failed;
    }
    if (const int failed = readImages(attributes, parts)) {
        return failed;
    }
    const QRect cell = parts.vertical ? skin::cellOf(parts.source, 1, 4, 0, 0)
                                      : skin::cellOf(parts.source, 4, 1, 0, 0);
    auto button = std::make_unique<ButtonControl>(name);
    if (const std::string* url = find(attributes, skin::kUrlAttribute)) {
        if (name != skin::kLogoControl) {
            return fail(m_currentElement, "URL is allowed only on \"Logo\"");
        }
        button->setText(*url);
    }
    if (const std::string* window = find(attributes, skin::kChangeWindowAttribute)) {
        button->setText(*window);
    }
    return placeImageControl(attributes, std::move(button), parts, cell.size(), false);
}

int SkinDocument::onMultiState(const Attributes& attributes) {
    std::string name;
    ImageParts parts;
    if (const int failed = startControl(attributes, name)) {
        return failed;
    }
    const std::string* statesText = find(attributes, skin::kNumStatesAttribute);
    if (statesText == nullptr) {
        return fail(m_currentElement, "ONUMSTATES is required");
    }
    const int states = skin::parseInteger(*statesText);
    if (states < 1 || states > kMaxImageRows) {
        return fail(m_currentElement, "ONUMSTATES is out of range");
    }
    if (const int failed = readImages(attributes, parts)) {
        return failed;
    }
    const QRect cell = skin::cellOf(parts.source, 4, states, 0, 0);
    return placeImageControl(attributes, std::make_unique<MultiStateControl>(name, states), parts,
                             cell.size(), false);
}

int SkinDocument::onSlider(const Attributes& attributes) {
    return addSlider(attributes, false);
}

int SkinDocument::onVerticalSlider(const Attributes& attributes) {
    return addSlider(attributes, true);
}

int SkinDocument::addSlider(const Attributes& attributes, bool vertical) {
    std::string name;
    ImageParts parts;
    if (const int failed = startControl(attributes, name)) {
        return failed;
    }
    if (const int failed = readImages(attributes, parts)) {
        return failed;
    }
    SliderControl::Options options;
    options.vertical = vertical;
    if (const std::string* text = find(attributes, skin::kThumbStatesAttribute)) {
        options.thumbStates = skin::parseInteger(*text);
    }
    if (options.thumbStates < 1 || options.thumbStates > kMaxImageRows) {
        return fail(m_currentElement, "OTHUMBSTATES is out of range");
    }
    if (const std::string* text = find(attributes, skin::kFramesAttribute)) {
        options.frames = skin::parseInteger(*text);
    }
    if (const std::string* text = find(attributes, skin::kNotchAttribute)) {
        // A notch beyond the track's end could never be reached.
        options.notch = std::min(skin::parseInteger(*text), 100);
    }
    if (const std::string* text = find(attributes, skin::kNotchWidthAttribute)) {
        options.notchWidth = skin::parseInteger(*text);
    }
    const QRect cell = parts.vertical ? skin::cellOf(parts.source, options.thumbStates, 3, 0, 0)
                                      : skin::cellOf(parts.source, 3, options.thumbStates, 0, 0);
    return placeImageControl(attributes, std::make_unique<SliderControl>(name, options), parts,
                             cell.size(), true);
}

int SkinDocument::onText(const Attributes& attributes) {
    std::string name;
    if (const int failed = startControl(attributes, name)) {
        return failed;
    }
    const std::string* fontName = find(attributes, skin::kFontResAttribute);
    if (fontName == nullptr) {
        return fail(m_currentElement, "OFONTRES is required");
    }
    const auto font = m_building->fonts.find(*fontName);
    if (font == m_building->fonts.end()) {
        return fail(m_currentElement, "no font \"" + *fontName + "\"");
    }
    TextControl::Style style;
    style.font = font->second;
    if (const std::string* colour = find(attributes, skin::kColourAttribute)) {
        if (!skin::parseColour(*colour, style.colour)) {
            return fail(m_currentElement, "OCOLOR is not #RRGGBB");
        }
    }
    const auto flag = [&attributes](const char* attribute) {
        const std::string* value = find(attributes, attribute);
        return value != nullptr && skin::parseFlag(*value);
    };
    style.bold = flag(skin::kBoldAttribute);
    style.italic = flag(skin::kItalicAttribute);
    style.underline = flag(skin::kUnderlineAttribute);
    if (const std::string* align = find(attributes, skin::kAlignAttribute)) {
        style.align = *align == skin::kAlignRight    ? TextControl::Align::Right
                      : *align == skin::kAlignCenter ? TextControl::Align::Center
                                                     : TextControl::Align::Left;
    }
    QRect dest;
    if (const int failed = readDestination(attributes, QSize(), false, dest)) {
        return failed;
    }
    auto text = std::make_unique<TextControl>(name, std::move(style));
    if (const std::string* tooltip = find(attributes, skin::kTooltipAttribute)) {
        text->setTooltip(*tooltip);
    }
    placeControl(std::move(text), dest);
    return 0;
}

int SkinDocument::onLevelMeter(const Attributes& attributes) {
    std::string name;
    if (const int failed = startControl(attributes, name)) {
        return failed;
    }
    QColor colour = Qt::black;
    if (const std::string* text = find(attributes, skin::kColourAttribute)) {
        if (!skin::parseColour(*text, colour)) {
            return fail(m_currentElement, "OCOLOR is not #RRGGBB");
        }
    }
    QRect dest;
    if (const int failed = readDestination(attributes, QSize(), false, dest)) {
        return failed;
    }
    auto meter = std::make_unique<LevelMeterControl>(name, colour);
    if (const std::string* tooltip = find(attributes, skin::kTooltipAttribute)) {
        meter->setTooltip(*tooltip);
    }
    placeControl(std::move(meter), dest);
    return 0;
}

int SkinDocument::onSkinInfo(const Attributes& attributes) {
    SkinDescription& info = m_building->description;
    const auto copy = [&attributes](const char* attribute, std::string& to) {
        if (const std::string* value = find(attributes, attribute)) {
            to = *value;
        }
    };
    copy(skin::kNameAttribute, info.name);
    copy(skin::kAuthorAttribute, info.author);
    copy(skin::kEmailAttribute, info.email);
    copy(skin::kDateAttribute, info.date);
    return 0;
}

}  // namespace ambrin

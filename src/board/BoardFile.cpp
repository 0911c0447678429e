#include "board/BoardFile.h"

#include "board/TouchImageView.h"
#include "ddxml/DDXMLAttributeNode.h"
#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLElement.h"
#include "foundation/Array.h"
#include "foundation/Ascii.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "foundation/Text.h"
#include "system/AddressBook.h"
#include "uikit/Color.h"
#include "uikit/Image.h"

#include <cmath>
#include <optional>
#include <utility>

namespace {

std::string childText(const DDXMLElement& element, const char* name)
{
    auto child = element.elementForName(name);
    return child ? child->stringValue().value_or("") : std::string();
}

std::optional<std::string> optionalChildText(const DDXMLElement& element, const char* name)
{
    auto child = element.elementForName(name);
    if (!child)
        return std::nullopt;
    return child->stringValue().value_or("");
}

std::string attributeText(const ns::Ref<DDXMLElement>& element, const char* name)
{
    if (!element)
        return {};
    auto attribute = element->attributeForName(name);
    return attribute ? attribute->stringValue().value_or("") : std::string();
}

// Not a number and infinity read as absent, that is 0: drawn, they would put the tile nowhere.
float attributeFloat(const ns::Ref<DDXMLElement>& element, const char* name)
{
    float value = ns::floatValue(attributeText(element, name));
    return std::isfinite(value) ? value : 0;
}

bool isNumber(const std::string& text)
{
    std::string trimmed = ns::trimWhitespaceAndNewlines(text);
    if (trimmed.empty())
        return false;
    std::size_t i = trimmed[0] == '-' || trimmed[0] == '+' ? 1 : 0;
    bool digit = false;
    for (; i < trimmed.size(); ++i) {
        if (ns::isAsciiDigit(trimmed[i]))
            digit = true;
        else if (trimmed[i] != '.')
            return false;
    }
    return digit;
}

// "r,g,b,a"; anything else (fewer parts, words) counts as no colour, the default badge colour.
ns::Ref<ui::Color> colorFromText(const std::string& text)
{
    auto parts = ns::split(text, ",");
    if (parts.size() < 4)
        return nullptr;
    float c[4];
    for (int i = 0; i < 4; ++i) {
        if (!isNumber(parts[static_cast<std::size_t>(i)]))
            return nullptr;
        c[i] = ns::floatValue(parts[static_cast<std::size_t>(i)]);
        if (!std::isfinite(c[i]))
            return nullptr;
    }
    return ui::Color::colorWithRed(c[0], c[1], c[2], c[3]);
}

ns::Ref<DDXMLNode> attribute(const char* name, float value)
{
    return DDXMLNode::attributeWithName(name, ns::format("%f", value));
}

// A board file far beyond any real board is not read: 999 tiles make about half a megabyte.
constexpr uint64_t MaxBoardFileSize = 8u << 20;

// Line and column (both from 1, the column in bytes) of a byte offset.
std::pair<int, int> lineAndColumn(std::string_view text, std::size_t offset)
{
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i)
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    return {line, static_cast<int>(offset - lineStart) + 1};
}

// The parsed board file, or nothing and what is wrong with it and where.
ns::Ref<DDXMLDocument> readBoardDocument(const std::string& path, std::string& problem)
{
    ns::Ref<ns::Error> error;
    auto attributes = ns::FileManager::attributesOfItemAtPath(path, &error);
    if (attributes && attributes->isDirectory) {
        problem = "it is a folder";
        return nullptr;
    }
    if (attributes && attributes->size > MaxBoardFileSize) {
        problem =
            ns::format("it holds %lld bytes, far beyond any board (at most %lld)",
                       static_cast<long long>(attributes->size), static_cast<long long>(MaxBoardFileSize));
        return nullptr;
    }
    auto data = attributes ? ns::FileManager::contentsAtPath(path, &error) : nullptr;
    if (!data) {
        problem =
            "it could not be read: " + (error ? error->localizedDescription() : std::string("unknown error"));
        return nullptr;
    }
    std::string_view text = data->view();
    if (ns::trimWhitespaceAndNewlines(text).empty()) {
        problem = "it is empty";
        return nullptr;
    }
    if (std::size_t bad = ns::invalidUtf8Offset(text); bad != std::string_view::npos) {
        auto [line, column] = lineAndColumn(text, bad);
        problem = ns::format("it is not UTF-8 text: the byte 0x%02x at line %d, column %d is not UTF-8",
                             static_cast<unsigned>(static_cast<unsigned char>(text[bad])), line, column);
        return nullptr;
    }
    auto document = DDXMLDocument::initWithXMLString(std::string(text), 0, &error);
    if (!document) {
        auto parseError = DDXMLNode::lastError();
        auto where = DDXMLNode::lastErrorPosition();
        std::string message = parseError ? parseError->localizedDescription() : std::string("it is not XML");
        problem = where ? ns::format("line %d, column %d: %s", where->line, where->column, message)
                        : "it is not XML: " + message;
        return nullptr;
    }
    // Entities are declared in a document type, and a board file never has one: refused before any of
    // its text is read, so that no entity is ever expanded.
    if (document->hasDocumentType()) {
        problem = "it declares a document type, which a board file never has";
        return nullptr;
    }
    auto root = document->rootElement();
    if (!root) {
        problem = "it has no root element";
        return nullptr;
    }
    if (root->name() != "floor") {
        problem = ns::format("its root element is \"%s\", not \"floor\"", root->name().value_or(""));
        return nullptr;
    }
    return document;
}

// Moves an unreadable board file out of the way under a name no earlier one has: "main.xml.unreadable",
// then "main.xml.unreadable.2" and on. Nothing when it could not be moved.
std::optional<std::string> setAside(const std::string& path, ns::Ref<ns::Error>* error)
{
    for (int n = 1;; ++n) {
        // Appended in place: GCC 12 at -O3 warns falsely on joining temporaries here.
        std::string aside = path + ".unreadable";
        if (n > 1)
            aside.append(".").append(std::to_string(n));
        ns::Ref<ns::Error> moveError;
        if (ns::FileManager::moveItemAtPath(path, aside, &moveError))
            return aside;
        if (!moveError || moveError->code() != ns::FileWriteFileExistsError) {
            ns::setError(error, moveError);
            return std::nullopt;
        }
    }
}

// The bare name of a file: a path, even one that stays in the folder, is never looked up.
bool isBareName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

} // namespace

BoardFile::BoardFile(TileMaker makeTile) : m_makeTile(std::move(makeTile))
{
}

std::string BoardFile::path()
{
    return ns::Sandbox::documentsPath() + "/main.xml";
}

ns::Ref<DDXMLElement> BoardFile::xmlFromTouchImageView(const TouchImageView& tile)
{
    auto floor = DDXMLNode::elementWithName("floor");
    floor->addChild(DDXMLNode::elementWithName("background", tile.imageName().value_or("")));
    floor->addChild(DDXMLNode::elementWithName("type", tile.type().value_or("")));
    floor->addChild(DDXMLNode::elementWithName("parameters", tile.parameters().value_or("")));
    floor->addChild(DDXMLNode::elementWithName("title", tile.title().value_or("")));
    floor->addChild(DDXMLNode::elementWithName("id", ns::format("%d", tile.id())));

    auto center = DDXMLNode::elementWithName("center");
    center->addAttribute(attribute("x", tile.center().x));
    center->addAttribute(attribute("y", tile.center().y));
    floor->addChild(center);

    auto badge = DDXMLNode::elementWithName("badge");
    badge->addAttribute(DDXMLNode::attributeWithName("string", tile.badgeString().value_or("")));
    if (tile.badgeColor()) {
        float r = 0, g = 0, b = 0, a = 0;
        tile.badgeColor()->getRed(&r, &g, &b, &a);
        badge->addAttribute(DDXMLNode::attributeWithName("color", ns::format("%f,%f,%f,%f", r, g, b, a)));
    }
    floor->addChild(badge);

    auto size = DDXMLNode::elementWithName("size");
    size->addAttribute(attribute("width", tile.origSize().size.width));
    size->addAttribute(attribute("height", tile.origSize().size.height));
    floor->addChild(size);

    cg::AffineTransform t = tile.originalTransform();
    auto transform = DDXMLNode::elementWithName("transform");
    transform->addAttribute(attribute("a", t.a));
    transform->addAttribute(attribute("b", t.b));
    transform->addAttribute(attribute("c", t.c));
    transform->addAttribute(attribute("d", t.d));
    transform->addAttribute(attribute("tx", t.tx));
    transform->addAttribute(attribute("ty", t.ty));
    floor->addChild(transform);

    for (auto& child : tile.children())
        floor->addChild(xmlFromTouchImageView(*child));
    return floor;
}

ns::Ref<TouchImageView> BoardFile::touchImageViewFromXml(const DDXMLElement& element,
                                                         const char* fallbackImage) const
{
    std::string imageName = childText(element, "background");
    ns::Ref<ui::Image> image;
    if (isBareName(imageName)) {
        image = ui::Image::imageNamed(imageName);
        if (!image)
            image = ui::Image::imageWithContentsOfFile(ns::Sandbox::documentsPath() + "/" + imageName);
    }
    if (!image) {
        // The tile stays, with its stored image name, so that nothing of it is lost when the board is saved.
        std::string title = childText(element, "title");
        if (imageName.empty() || isBareName(imageName))
            ns::log("the image \"%s\" of the tile \"%s\" was not found; it shows \"%s\"", imageName, title,
                    fallbackImage);
        else
            ns::log(
                "the image name \"%s\" of the tile \"%s\" is a path, which is never read; it shows \"%s\"",
                imageName, title, fallbackImage);
        image = ui::Image::imageNamed(fallbackImage);
    }

    auto size = element.elementForName("size");
    cg::Rect frame = cg::makeRect(0, 0, attributeFloat(size, "width"), attributeFloat(size, "height"));
    auto tile = m_makeTile(frame);
    tile->setImage(image);
    tile->setImageName(imageName);
    tile->setOrigSize(frame);
    tile->setParameters(optionalChildText(element, "parameters"));
    tile->setType(optionalChildText(element, "type"));
    auto title = optionalChildText(element, "title");
    if (title && ns::utf16Length(*title) > TouchImageView::MaxTitleLength) {
        ns::log("the title of a tile holds %d characters; it keeps the first %d",
                static_cast<int>(ns::utf16Length(*title)), static_cast<int>(TouchImageView::MaxTitleLength));
    }
    tile->setTitle(std::move(title));
    tile->setId(ns::intValue(childText(element, "id")));

    auto badge = element.elementForName("badge");
    if (badge && badge->attributeForName("string"))
        tile->setBadgeString(attributeText(badge, "string"));
    if (badge && badge->attributeForName("color"))
        tile->setBadgeColor(colorFromText(attributeText(badge, "color")));

    auto center = element.elementForName("center");
    tile->setCenter(cg::makePoint(attributeFloat(center, "x"), attributeFloat(center, "y")));
    auto transform = element.elementForName("transform");
    cg::AffineTransform t{attributeFloat(transform, "a"),  attributeFloat(transform, "b"),
                          attributeFloat(transform, "c"),  attributeFloat(transform, "d"),
                          attributeFloat(transform, "tx"), attributeFloat(transform, "ty")};
    tile->setOriginalTransform(t);
    tile->setTransform(t);
    return tile;
}

ns::Ref<TouchImageView> BoardFile::read()
{
    std::string path = BoardFile::path();
    if (!ns::FileManager::fileExistsAtPath(path))
        return nullptr;
    std::string problem;
    auto document = readBoardDocument(path, problem);
    auto root = document ? document->rootElement() : nullptr;
    if (!root) {
        // Keep the user's file for a look later; the default board takes its place.
        ns::Ref<ns::Error> error;
        if (auto aside = setAside(path, &error)) {
            ns::log("main.xml could not be read: %s; it was kept as %s", problem,
                    aside->substr(aside->rfind('/') + 1));
        } else {
            // Never written over: the default board shows, but is not saved in its place.
            m_keepUnreadableFile = true;
            ns::log("main.xml could not be read: %s; it could not be set aside either (%@), so the board is "
                    "not saved over it",
                    problem, error);
        }
        return nullptr;
    }

    // A person missing from a book that was not read whole may only be missing from a damaged file: then
    // every tile stays as it is.
    ns::Ref<ab::AddressBook> addressBook;
    bool checked = false;
    auto checkContact = [&](const ns::Ref<TouchImageView>& tile) {
        if (tile->id() == 0)
            return;
        if (!checked) {
            checked = true;
            ns::Ref<ns::Error> error;
            addressBook = ab::AddressBook::create(&error);
            if (!addressBook) {
                ns::log("the tiles' contacts are not checked: the address book could not be read (%@)",
                        error);
            } else if (!addressBook->isReadWhole()) {
                ns::log("the tiles' contacts are not checked: the address book was not read whole (%s)",
                        addressBook->notReadWholeReason());
                addressBook.reset();
            }
        }
        if (addressBook && !addressBook->personWithRecordID(tile->id())) {
            ns::log("effacer %@", tile->title());
            tile->setDefault();
        }
    };

    // Without its own image the background shows the default one; its stored name stays.
    auto background = touchImageViewFromXml(*root, "defaultbackground.png");
    checkContact(background);
    auto floors = root->elementsForName(std::string("floor"));
    for (std::size_t i = 0; floors && i < floors->count(); ++i) {
        auto element = floors->objectAs<DDXMLElement>(i);
        if (!element)
            continue;
        auto tile = touchImageViewFromXml(*element);
        checkContact(tile);
        background->mutableChildren().push_back(tile);
        tile->setParent(background);
    }
    return background;
}

void BoardFile::write(const TouchImageView& background)
{
    if (m_keepUnreadableFile) {
        ns::log("main.xml was not saved: the unreadable file in its place could not be set aside");
        return;
    }
    std::string text = ns::trimWhitespaceAndNewlines(
        xmlFromTouchImageView(background)->XMLStringWithOptions(DDXMLNodePrettyPrint));
    ns::Ref<ns::Error> error;
    if (!ns::FileManager::writeAtomically(path(), text, &error))
        ns::log("main.xml could not be written: %@", error);
}

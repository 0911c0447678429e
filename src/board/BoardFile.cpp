// The board file "main.xml": one "floor" element per tile, the background tile at the root.
#include "board/TouchImageView.h"
#include "board/VelmoViewController.h"
#include "ddxml/DDXMLAttributeNode.h"
#include "ddxml/DDXMLDocument.h"
#include "ddxml/DDXMLElement.h"
#include "foundation/Array.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "foundation/Text.h"
#include "system/AddressBook.h"
#include "uikit/Color.h"
#include "uikit/Image.h"

#include <cmath>

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

float attributeFloat(const ns::Ref<DDXMLElement>& element, const char* name)
{
    return ns::floatValue(attributeText(element, name));
}

bool isNumber(const std::string& text)
{
    std::string trimmed = ns::trimWhitespaceAndNewlines(text);
    if (trimmed.empty())
        return false;
    std::size_t i = trimmed[0] == '-' || trimmed[0] == '+' ? 1 : 0;
    bool digit = false;
    for (; i < trimmed.size(); ++i) {
        if (trimmed[i] >= '0' && trimmed[i] <= '9')
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

} // namespace

std::string VelmoViewController::boardFilePath()
{
    return ns::Sandbox::documentsPath() + "/main.xml";
}

ns::Ref<DDXMLElement> VelmoViewController::xmlFromTouchImageView(const TouchImageView& tile) const
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

ns::Ref<TouchImageView> VelmoViewController::touchImageViewFromXml(const DDXMLElement& element)
{
    std::string imageName = childText(element, "background");
    auto image = imageName.empty() ? nullptr : ui::Image::imageNamed(imageName);
    if (!image && !imageName.empty() && imageName.find('/') == std::string::npos)
        image = ui::Image::imageWithContentsOfFile(ns::Sandbox::documentsPath() + "/" + imageName);
    if (!image)
        return nullptr;

    auto size = element.elementForName("size");
    cg::Rect frame = cg::makeRect(0, 0, attributeFloat(size, "width"), attributeFloat(size, "height"));
    auto tile = makeTile(frame);
    tile->setImage(image);
    tile->setImageName(imageName);
    tile->setOrigSize(frame);
    tile->setParameters(optionalChildText(element, "parameters"));
    tile->setType(optionalChildText(element, "type"));
    tile->setTitle(optionalChildText(element, "title"));
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

bool VelmoViewController::loadBoardFile()
{
    std::string path = boardFilePath();
    if (!ns::FileManager::fileExistsAtPath(path))
        return false;
    auto text = ns::FileManager::stringWithContentsOfFile(path);
    ns::Ref<ns::Error> error;
    auto document = text ? DDXMLDocument::initWithXMLString(*text, 0, &error) : nullptr;
    auto root = document ? document->rootElement() : nullptr;
    if (!root) {
        // Keep the user's file for a look later; the default board takes its place.
        std::string aside = path + ".unreadable";
        ns::FileManager::removeItemAtPath(aside);
        ns::FileManager::moveItemAtPath(path, aside);
        ns::log("main.xml could not be read (%@); it was kept as main.xml.unreadable", error);
        return false;
    }

    ns::Ref<ab::AddressBook> addressBook;
    auto checkContact = [&](const ns::Ref<TouchImageView>& tile) {
        if (tile->id() == 0)
            return;
        if (!addressBook)
            addressBook = ab::AddressBook::create();
        if (addressBook && !addressBook->personWithRecordID(tile->id())) {
            ns::log("effacer %@", tile->title());
            tile->setDefault();
        }
    };

    auto background = touchImageViewFromXml(*root);
    if (background) {
        checkContact(background);
        addTile(background);
        m_mainTouchImageView = background;
    }
    auto floors = root->elementsForName(std::string("floor"));
    for (std::size_t i = 0; floors && i < floors->count(); ++i) {
        auto element = floors->objectAs<DDXMLElement>(i);
        if (!element)
            continue;
        auto tile = touchImageViewFromXml(*element);
        if (!tile)
            continue;
        checkContact(tile);
        addTile(tile);
        if (background) {
            background->mutableChildren().push_back(tile);
            tile->setParent(background);
        }
    }
    return true;
}

void VelmoViewController::saveXML(const ns::Id&)
{
    auto background = m_mainTouchImageView.lock();
    if (!background)
        return;
    std::string text = ns::trimWhitespaceAndNewlines(
        xmlFromTouchImageView(*background)->XMLStringWithOptions(DDXMLNodePrettyPrint));
    ns::Ref<ns::Error> error;
    if (!ns::FileManager::writeAtomically(boardFilePath(), text, &error))
        ns::log("main.xml could not be written: %@", error);
}

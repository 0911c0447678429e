#pragma once

#include "foundation/Object.h"
#include "graphics/Geometry.h"

#include <functional>
#include <string>
#include <utility>

class DDXMLElement;
class TouchImageView;

// The board file "main.xml": one "floor" element per tile, the background tile at the root.
class BoardFile : public ns::Object
{
public:
    // Makes an empty tile of the board the file is read into.
    using TileMaker = std::function<ns::Ref<TouchImageView>(cg::Rect frame)>;
    static ns::Ref<BoardFile> create(TileMaker makeTile)
    {
        return ns::Factory<BoardFile>::make(std::move(makeTile));
    }

    static std::string path(); // Documents/main.xml

    static ns::Ref<DDXMLElement> xmlFromTouchImageView(const TouchImageView& tile);
    // A tile whose image cannot be found (or whose image name is a path) shows `fallbackImage` and keeps
    // its stored image name.
    ns::Ref<TouchImageView>
    touchImageViewFromXml(const DDXMLElement& element,
                          const char* fallbackImage = "contact-placeholder.png") const;

    // The background tile with the board's tiles as its children; nothing when there is no file or it
    // cannot be read (it is then set aside under a new name, or, failing that, never written over).
    ns::Ref<TouchImageView> read();
    // The board under `background`, written atomically.
    void write(const TouchImageView& background);

    std::string className() const override { return "BoardFile"; }

protected:
    explicit BoardFile(TileMaker makeTile);
    friend ns::Factory<BoardFile>;

private:
    TileMaker m_makeTile;
    // An unreadable board file that could not be set aside is never written over.
    bool m_keepUnreadableFile = false;
};

#include "board/KPhoneNumber.h"

#include "board/ImageResize.h"
#include "board/ImageRoundedCorner.h"
#include "foundation/Format.h"
#include "uikit/GraphicsContext.h"
#include "uikit/Image.h"

const std::string& KPhoneNumber::compositeName() const
{
    if (!m_compositeName) {
        if (m_firstName && m_lastName)
            m_compositeName = ns::format("%@ %@", *m_lastName, *m_firstName);
        else if (m_lastName)
            m_compositeName = *m_lastName;
        else if (m_firstName)
            m_compositeName = *m_firstName;
        else
            m_compositeName = m_organization.value_or("Unknown");
    }
    return *m_compositeName;
}

std::string KPhoneNumber::description() const
{
    return ns::format("<KPhoneNumber %@ %@: %@>", compositeName(), m_type.value_or(""), m_phone);
}

namespace {

ns::Ref<ui::Image> personPhoto(const ns::Ref<ab::Person>& person)
{
    if (!person || !person->hasImageData())
        return nullptr;
    auto data = person->thumbnailData();
    return data ? ui::Image::imageWithData(data) : nullptr;
}

} // namespace

ns::Ref<ui::Image> KPhoneNumber::image() const
{
    const cg::Size size = cg::makeSize(180, 180);
    const cg::Rect rect = cg::makeRect(0, 0, size.width, size.height);
    // A photo that does not decode shows as no photo.
    auto photo = personPhoto(m_contact);
    if (!photo)
        photo = ui::Image::imageNamed("contact-withoutphoto.png");
    auto frame = ImageResize::resizedImage(ui::Image::imageNamed("black100.png"), size,
                                           cg::InterpolationQuality::High);
    frame = ImageRoundedCorner::roundedCornerImage(frame, 16, 0);
    photo = ImageResize::resizedImage(photo, size, cg::InterpolationQuality::High);
    photo = ImageRoundedCorner::roundedCornerImage(photo, 12, 4);

    ui::beginImageContextWithOptions(size, false, 1);
    if (frame)
        frame->drawInRect(rect);
    if (photo)
        photo->drawInRect(rect, cg::BlendMode::Normal, 1.0f);
    auto framed = ui::imageFromCurrentImageContext();
    ui::endImageContext();
    return framed;
}

ns::Ref<ui::Image> KPhoneNumber::iconImage() const
{
    auto photo = personPhoto(m_contact);
    if (!photo)
        return nullptr;
    return ImageResize::resizedImage(photo, cg::makeSize(160, 160), cg::InterpolationQuality::None);
}

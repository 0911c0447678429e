#include "uikit/Switch.h"

#include "graphics/Context.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/StringDrawing.h"

namespace ui {

Switch::Switch() : Switch(cg::Rect{})
{
}

// The switch keeps its own size wherever it is put.
Switch::Switch(cg::Rect frame) : Control(cg::Rect{frame.origin, {79, 27}})
{
}

void Switch::setOn(bool on, bool)
{
    m_on = on;
    setNeedsDisplay();
}

void Switch::didTapInside()
{
    setOn(!m_on, true);
    sendActionsForControlEvents(ControlEventValueChanged);
}

void Switch::drawRect(cg::Context& context, cg::Rect)
{
    cg::Rect b = cg::inset(bounds(), 0.5f, 0.5f);
    cg::Float r = b.size.height / 2;
    context.beginPath();
    context.moveToPoint(b.minX() + r, b.minY());
    context.addArcToPoint(b.maxX(), b.minY(), b.maxX(), b.maxY(), r);
    context.addArcToPoint(b.maxX(), b.maxY(), b.minX(), b.maxY(), r);
    context.addArcToPoint(b.minX(), b.maxY(), b.minX(), b.minY(), r);
    context.addArcToPoint(b.minX(), b.minY(), b.maxX(), b.minY(), r);
    context.closePath();
    if (m_on)
        context.setFillColor(m_onTintColor ? m_onTintColor->CGColor() : cg::Color{0.0f, 0.45f, 0.9f, 1});
    else
        context.setRGBFillColor(0.93f, 0.93f, 0.93f, 1);
    context.fillPath();
    cg::Float knob = b.size.height - 2;
    cg::Rect knobRect = cg::makeRect(m_on ? b.maxX() - knob - 1 : b.minX() + 1, b.minY() + 1, knob, knob);
    context.setRGBFillColor(1, 1, 1, 1);
    context.fillEllipseInRect(knobRect);
    context.setRGBStrokeColor(0.6f, 0.6f, 0.6f, 1);
    context.setLineWidth(1);
    context.strokeEllipseInRect(knobRect);
    auto font = Font::boldSystemFontOfSize(14);
    context.setFillColor(m_on ? cg::Color{1, 1, 1, 1} : cg::Color{0.45f, 0.45f, 0.45f, 1});
    cg::Rect textRect = m_on ? cg::makeRect(b.minX() + 6, b.minY() + 5, b.size.width - knob - 10, 18)
                             : cg::makeRect(b.minX() + knob + 4, b.minY() + 5, b.size.width - knob - 10, 18);
    drawText(context, m_on ? "ON" : "OFF", textRect, *font, LineBreakMode::Clip, TextAlignment::Center);
}

} // namespace ui
